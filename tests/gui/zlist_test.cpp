#include "zlist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <list>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

int slots[64];
void* P(int i) { return &slots[i]; }

// Nodes seen walking forward, checked against the backward walk and count.
std::vector<void*> Walk(const ZPSList& l) {
    std::vector<void*> fwd, back;
    const ZPCList* prev = nullptr;
    for (const ZPCList* n = l.first; n; n = n->next) {
        EXPECT_EQ(n->prev, prev);
        fwd.push_back(n->data);
        prev = n;
    }
    EXPECT_EQ(l.last, prev);
    for (const ZPCList* n = l.last; n; n = n->prev)
        back.push_back(n->data);
    std::reverse(back.begin(), back.end());
    EXPECT_EQ(fwd, back);
    EXPECT_EQ(l.count, int(fwd.size()));
    return fwd;
}

std::vector<void*> V(std::initializer_list<int> idx) {
    std::vector<void*> v;
    for (int i : idx)
        v.push_back(P(i));
    return v;
}

// The field order is part of the library's binary interface.
static_assert(offsetof(ZPSList, count) < offsetof(ZPSList, first));
static_assert(offsetof(ZPSList, first) < offsetof(ZPSList, last));
static_assert(offsetof(ZPSList, last) < offsetof(ZPSList, allowDuplicates));
static_assert(offsetof(ZPCList, data) == 0);
static_assert(offsetof(ZPCList, data) < offsetof(ZPCList, extra));
static_assert(offsetof(ZPCList, extra) < offsetof(ZPCList, prev));
static_assert(offsetof(ZPCList, prev) < offsetof(ZPCList, next));
static_assert(offsetof(ZMSList, count) < offsetof(ZMSList, allowDuplicates));
static_assert(offsetof(ZMSList, allowDuplicates) < offsetof(ZMSList, first));
static_assert(offsetof(ZMSList, first) < offsetof(ZMSList, last));
static_assert(offsetof(ZMCList, key) == 0);
static_assert(offsetof(ZMCList, key) < offsetof(ZMCList, data));
static_assert(offsetof(ZMCList, data) < offsetof(ZMCList, prev));
static_assert(offsetof(ZMCList, prev) < offsetof(ZMCList, next));

// What the random model tests below do not reach: the extra word, node
// lookup by index, a null list, and a keyed list that copies its keys.
TEST(ZLists, ExtraWordNodeLookupAndCopiedKeys) {
    ZPSList multi(1);
    EXPECT_EQ(multi.AppendItem(P(1)), 0);
    EXPECT_EQ(multi.AppendItemExtra(P(1), P(9)), 0);
    EXPECT_EQ(Walk(multi), V({1, 1}));
    EXPECT_EQ(multi.last->extra, P(9));
    EXPECT_EQ(multi.first->extra, nullptr);
    EXPECT_EQ(multi.FindItemByIndex(1), multi.last);
    EXPECT_EQ(multi.FindItemByIndex(2), nullptr);
    EXPECT_EQ(multi.FindItemByIndex(-1), nullptr);
    EXPECT_EQ(RemoveItemByDataDuplicate(nullptr, P(2)), 0);

    ZMSList l(0);
    int p = 0;
    char key[] = "bb";
    EXPECT_EQ(l.AppendItem(key, &p), 1);
    key[0] = 'x';
    EXPECT_EQ(l.FindItem("bb"), &p);
    EXPECT_EQ(l.FindItem("xb"), nullptr);
    EXPECT_EQ(l.FindItem(nullptr), nullptr);
    EXPECT_EQ(l.AppendItem(nullptr, &p), 0);
    EXPECT_EQ(l.RemoveItem(nullptr), 0);
    l.clear();
    EXPECT_EQ(l.count, 0);
    EXPECT_EQ(l.first, nullptr);
    EXPECT_EQ(l.last, nullptr);
}

// Thousands of random operations on a ZPSList and on a std::list model; after
// each one the list must hold exactly the model's sequence, linked both ways.
void RunAgainstModel(unsigned char allowDuplicates, unsigned seed) {
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    ZPSList l(allowDuplicates);
    std::list<void*> model;
    auto contains = [&](void* d) { return std::find(model.begin(), model.end(), d) != model.end(); };
    auto refused = [&](void* d) { return !d || (!allowDuplicates && contains(d)); };
    for (int step = 0; step < 20000; step++) {
        void* d = pick(20) == 0 ? nullptr : P(pick(24));
        int size = int(model.size());
        int index = pick(size + 6) - 3; // also before the head and past the tail
        switch (pick(10)) {
        case 0:
        case 1: {
            int want = refused(d) ? -1 : 0;
            if (want == 0) model.push_back(d);
            ASSERT_EQ(l.AppendItem(d), want);
            break;
        }
        case 2:
        case 3: {
            int want = refused(d) ? -1 : 0;
            if (want == 0) model.insert(index >= 0 && index < size ? std::next(model.begin(), index) : model.end(), d);
            ASSERT_EQ(l.InsertItem(index, d), want);
            break;
        }
        case 4: {
            bool ok = index >= 0 && index < size;
            if (ok) model.erase(std::next(model.begin(), index));
            ASSERT_EQ(l.RemoveItemByIndex(index), ok ? 0 : -1);
            break;
        }
        case 5: {
            auto it = std::find(model.begin(), model.end(), d);
            bool ok = d && it != model.end();
            if (ok) model.erase(it);
            ASSERT_EQ(l.RemoveItemByData(d), ok ? 0 : -1);
            break;
        }
        case 6: {
            int want = d ? int(std::count(model.begin(), model.end(), d)) : 0;
            model.remove(d);
            ASSERT_EQ(RemoveItemByDataDuplicate(&l, d), want);
            break;
        }
        case 7: {
            void* want = index >= 0 && index < size ? *std::next(model.begin(), index) : nullptr;
            ASSERT_EQ(l.FindDataByIndex(index), want);
            break;
        }
        case 8: {
            auto it = std::find(model.begin(), model.end(), d);
            int want = d && it != model.end() ? int(std::distance(model.begin(), it)) : -1;
            ASSERT_EQ(l.FindIndexByData(d), want);
            ZPCList* node = l.FindItemByData(d);
            ASSERT_EQ(node ? node->data : nullptr, want >= 0 ? d : nullptr);
            break;
        }
        case 9:
            if (pick(200) == 0) {
                model.clear();
                l.clear();
            }
            break;
        }
        ASSERT_EQ(Walk(l), std::vector<void*>(model.begin(), model.end())) << "step " << step;
    }
}

TEST(ZPSList, RandomOperationsMatchAStdListModel) {
    for (unsigned seed = 1; seed <= 3; seed++) {
        RunAgainstModel(0, seed);
        RunAgainstModel(1, seed + 100);
    }
}

// The keyed list against a model of (key, data) pairs.
TEST(ZMSList, RandomOperationsMatchAModel) {
    for (unsigned char allow = 0; allow <= 1; allow++) {
        std::mt19937 rng(42 + allow);
        auto pick = [&](int n) { return int(rng() % unsigned(n)); };
        const char* keys[] = {"", "a", "b", "ab", "ba", "c"};
        ZMSList l(allow);
        std::list<std::pair<std::string, void*>> model;
        auto find = [&](const std::string& k) -> void* {
            if (k.empty()) return nullptr;
            for (auto& e : model)
                if (e.first == k) return e.second;
            return nullptr;
        };
        for (int step = 0; step < 10000; step++) {
            std::string k = keys[pick(6)];
            void* d = pick(15) == 0 ? nullptr : P(pick(6));
            switch (pick(4)) {
            case 0:
            case 1: {
                bool add = !k.empty() && d && (allow || find(k) != d);
                if (add) model.emplace_back(k, d);
                ASSERT_EQ(l.AppendItem(k.c_str(), d), add ? 1 : 0);
                break;
            }
            case 2: {
                auto it = std::find_if(model.begin(), model.end(), [&](auto& e) { return e.first == k; });
                bool found = it != model.end();
                if (found) model.erase(it);
                ASSERT_EQ(l.RemoveItem(k.c_str()), found ? 1 : 0);
                break;
            }
            case 3: ASSERT_EQ(l.FindItem(k.c_str()), find(k)); break;
            }
            ASSERT_EQ(l.count, int(model.size()));
            auto it = model.begin();
            const ZMCList* prev = nullptr;
            for (const ZMCList* n = l.first; n; n = n->next, ++it) {
                ASSERT_NE(it, model.end());
                ASSERT_EQ(n->prev, prev);
                ASSERT_EQ(std::string(n->key), it->first);
                ASSERT_EQ(n->data, it->second);
                prev = n;
            }
            ASSERT_EQ(it, model.end());
            ASSERT_EQ(l.last, prev);
        }
    }
}

} // namespace
