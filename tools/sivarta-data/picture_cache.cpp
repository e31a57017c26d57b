#include "tools/sivarta-data/picture_cache.h"

namespace {

// List node, hash node and bucket, the picture's control block and the
// allocator's rounding.
constexpr size_t kEntryOverhead = 256;

size_t Cost(const std::string& listKey, const std::string& indexKey, const std::string& png) {
    return listKey.capacity() + indexKey.capacity() + png.capacity() + kEntryOverhead;
}

}   // namespace

std::shared_ptr<const std::string> PictureCache::Find(const std::string& key) {
    std::lock_guard<std::mutex> hold(lock);
    const auto found = index.find(key);
    if (found == index.end()) return nullptr;
    order.splice(order.begin(), order, found->second);
    return found->second->png;
}

void PictureCache::Store(const std::string& key, std::shared_ptr<const std::string> png) {
    // One picture may take at most a quarter of the budget, so a few huge
    // ones cannot push out everything else.
    if (Cost(key, key, *png) > budget / 4) return;
    std::lock_guard<std::mutex> hold(lock);
    if (index.count(key)) return;
    order.push_front({key, std::move(png), 0});
    const auto filed = index.emplace(key, order.begin()).first;
    Entry& entry = order.front();
    entry.cost = Cost(entry.key, filed->first, *entry.png);
    used += entry.cost;
    while (used > budget && !order.empty()) {
        used -= order.back().cost;
        index.erase(order.back().key);
        order.pop_back();
    }
}

size_t PictureCache::BytesUsed() {
    std::lock_guard<std::mutex> hold(lock);
    return used;
}

size_t PictureCache::Entries() {
    std::lock_guard<std::mutex> hold(lock);
    return order.size();
}
