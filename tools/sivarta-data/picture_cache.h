// The chart route's pictures, least recently used first out, at most a
// budget of bytes in all. Each entry is counted whole: its key (held twice,
// in the list and the index), the picture and the bookkeeping around them,
// as measured once when it is filed, so what is taken out is what went in.
#pragma once

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

class PictureCache {
public:
    explicit PictureCache(size_t budget) : budget(budget) {}

    std::shared_ptr<const std::string> Find(const std::string& key);
    // Files `png` under `key` unless it is there already or too large.
    void Store(const std::string& key, std::shared_ptr<const std::string> png);

    size_t BytesUsed();
    size_t Entries();

private:
    struct Entry {
        std::string key;
        std::shared_ptr<const std::string> png;
        size_t cost = 0;
    };

    std::mutex lock;
    std::list<Entry> order;
    std::unordered_map<std::string, std::list<Entry>::iterator> index;
    size_t used = 0;
    const size_t budget;
};
