// Internal: the one table type behind window, device-context and
// rendering-context handles. Handles count up and are never reused, so a
// stale handle finds nothing rather than someone else's record; records stay
// where they are until removed, so a pointer to one lives as long as it does.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

namespace win32_internal {

template <class Handle, class Record> class HandleTable {
public:
    explicit HandleTable(std::uintptr_t first) : mNext(first) {}

    Handle Add() {
        const Handle handle = reinterpret_cast<Handle>(mNext);
        mNext += 4;
        mRecords.emplace(handle, Record{});
        return handle;
    }

    Record* Find(Handle handle) {
        if (handle == nullptr)
            return nullptr;
        const auto found = mRecords.find(handle);
        return found == mRecords.end() ? nullptr : &found->second;
    }

    void Remove(Handle handle) { mRecords.erase(handle); }

    // In the order they were made.
    std::vector<Handle> Handles() const {
        std::vector<Handle> handles;
        handles.reserve(mRecords.size());
        for (const auto& entry : mRecords)
            handles.push_back(entry.first);
        return handles;
    }

    std::size_t Size() const { return mRecords.size(); }
    auto begin() { return mRecords.begin(); }
    auto end() { return mRecords.end(); }

private:
    std::uintptr_t mNext;
    std::map<Handle, Record> mRecords;
};

} // namespace win32_internal
