// The identifier tables of windows and pixmaps: 100 chained buckets, the
// newest entry first in its chain, and a one-entry cache of the last lookup.
// An identifier may be entered twice: the newer entry hides the older until
// it is removed.
#pragma once

#include <cstdint>

template <class T> class SSIdTable {
public:
    SSIdTable() = default;
    SSIdTable(const SSIdTable&) = delete;
    SSIdTable& operator=(const SSIdTable&) = delete;

    T* Find(uint32_t id) {
        if (id == 0) return nullptr;
        if (cached_ && cachedId_ == id) return cached_;
        for (Entry* e = buckets_[id % kBuckets]; e; e = e->next) {
            if (e->id == id) {
                cachedId_ = id;
                cached_ = e->value;
                return e->value;
            }
        }
        return nullptr;
    }

    void Insert(uint32_t id, T* value) {
        Entry*& head = buckets_[id % kBuckets];
        Entry* e = new Entry{id, value, nullptr, head};
        if (head) head->prev = e;
        head = e;
        cachedId_ = id;
        cached_ = value;
        ++count_;
    }

    // Removes the entry that holds `value` under `id`, not another entry
    // with the same identifier.
    void Remove(uint32_t id, const T* value) {
        for (Entry* e = buckets_[id % kBuckets]; e; e = e->next) {
            if (e->id == id && e->value == value) return Unlink(e);
        }
    }

    // Removes the newest entry of `id`; returns its value, or null.
    T* RemoveId(uint32_t id) {
        for (Entry* e = buckets_[id % kBuckets]; e; e = e->next) {
            if (e->id != id) continue;
            T* value = e->value;
            Unlink(e);
            return value;
        }
        return nullptr;
    }

    // Calls f(value) for every entry; f may remove the entry it is given.
    template <class F> void ForEach(F f) {
        for (Entry* head : buckets_) {
            for (Entry* e = head; e;) {
                Entry* next = e->next;
                f(e->value);
                e = next;
            }
        }
    }

    int Count() const { return count_; }

private:
    static constexpr uint32_t kBuckets = 100;

    struct Entry {
        uint32_t id;
        T* value;
        Entry* prev;
        Entry* next;
    };

    void Unlink(Entry* e) {
        if (e->prev)
            e->prev->next = e->next;
        else
            buckets_[e->id % kBuckets] = e->next;
        if (e->next) e->next->prev = e->prev;
        // Forget the cache when it may point at this entry.
        if (cached_ == e->value || cachedId_ == e->id) cachedId_ = 0, cached_ = nullptr;
        --count_;
        delete e;
    }

    Entry* buckets_[kBuckets] = {};
    uint32_t cachedId_ = 0;
    T* cached_ = nullptr;
    int count_ = 0;
};
