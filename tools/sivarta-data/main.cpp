// sivarta-data: makes, converts, inspects and serves the chart's data files.
#include <iostream>
#include <string_view>

#include "tools/sivarta-data/commands.h"

namespace {

constexpr const char* kUsage = R"(usage: sivarta-data COMMAND [OPTIONS]

  sample --root DIR --code CODE [--code CODE ...] [--date YYYYMMDD] [--seed N] [--seconds]
      Writes DIR/sisefile/info/CODE.dat and DIR/sisefile/Date/CODE.dat for a
      synthetic day: one record a minute from 09:00 to 15:30 (391 records), or
      with --seconds one a second from 09:00:00 to 15:29:59 (23,400 records).
      The same code, date and seed always give the same day (default seed 949,
      default date today).

  convert --csv FILE --code CODE --name NAME --root DIR [--previous-close PRICE]
      Builds both files from a CSV of bars, one per line:
      date,time,open,high,low,close,volume (a header line is optional).
      NAME is UTF-8 and is stored in code page 949. The info snapshot comes
      from the bars; its change is measured from PRICE (default: first open).

  dump FILE [--code CODE] [--kind info|data]
      Prints an info or data file decoded (an info file is one under info/,
      or of 128 bytes). With --code, says whether the chart would accept the
      info file for CODE, or for a data file (with ../info/ beside it) whether
      the date test keeps it and how many bars it gives.

  serve --root DIR [--host 127.0.0.1] [--port 8949] [--cors ORIGIN] [--web WEBDIR]
        [--chart-workers N] [--chart-cache MIB] [--max-connections N] [--max-per-client N]
        [--max-subscribers N] [--event-keepalive S]
      Serves DIR over HTTP as the chart's data host. Port 0 picks a free port.
      Prints "serving DIR on http://HOST:PORT" when ready; stops on SIGINT or SIGTERM.
      --cors adds Access-Control-Allow-Origin: ORIGIN (* or scheme://host[:port])
      so pages from elsewhere may read the files. --web serves WEBDIR for every
      path outside /sisefile/ and /chart/ (/ is its index.html): the web
      component and a page.
      GET /chart/CODE.png?w=228&h=190&NAME=VALUE... answers the day's chart as
      PNG (NAME: any display property, ignoring case). N render workers (default:
      one per hardware thread); MIB of pictures cached (default 64, 0: off).
      GET /events?code=A&code=B streams Server-Sent Events: "change" with the
      code as data when either file of a listed code changes, a comment every
      --event-keepalive seconds (15). Limits: --max-connections (4096),
      --max-per-client (256), --max-subscribers (1024); heads of 16 KiB and
      100 lines, no request bodies.

  feed --root DIR [--prev-close CODE=PRICE ...] [--date YYYYMMDD] [--interval-ms 250]
      Reads trades from standard input, one a line: CODE,HHMMSS,PRICE,VOLUME.
      Keeps each code's record of the minute and its info snapshot (change
      against --prev-close, else the one the existing info file implies) and
      publishes both files by write-then-rename at most once per interval per
      code, and at the end of input. A bad line is reported with its number
      and skipped; what was already published is kept (a restarted feed goes on
      from the files of the same date).

Codes are 1 to 6 ASCII letters and digits (not 5: the chart reads a
five-character code with a leading '0'). Exit status: 0 done, 1 bad input or
failed I/O, 2 bad usage.
)";

}   // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << kUsage;
        return kExitUsage;
    }
    const std::string_view command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "sample") return RunSample(args);
    if (command == "convert") return RunConvert(args);
    if (command == "dump") return RunDump(args);
    if (command == "serve") return RunServe(args);
    if (command == "feed") return RunFeed(args);
    if (command == "help" || command == "--help" || command == "-h") {
        std::cout << kUsage;
        return kExitOk;
    }
    std::cerr << "sivarta-data: unknown command '" << command << "'\n\n" << kUsage;
    return kExitUsage;
}
