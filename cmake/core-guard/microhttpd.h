// Stands in for <microhttpd.h> when the portable core is compiled: the core includes
// no Windows or front-end header (see ARCHITECTURE.md), in any tree.
#error "the portable core must not include <microhttpd.h>"
