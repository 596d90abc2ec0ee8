#pragma once

#include "CoreFoundation/MainThread.h"

#include <cstddef>
#include <memory>
#include <vector>

// The registrations of one notification source (a notification center, a control's target-action pairs), in
// the order they were added. Every change and every dispatch happens on the main thread.
//
// A callback may add or remove registrations, its own included, or destroy the object it belongs to: dispatch
// walks a snapshot, keeps each registration alive while it runs, and skips those removed meanwhile.
// Registrations added during a dispatch are called from the next one.
template <typename Registration> class ObserverList {
  public:
    void add(Registration registration) {
        requireMainThread("adding an observer");
        _entries.push_back(std::make_shared<Entry>(std::move(registration)));
    }

    // Removes the registrations for which `matches` answers true.
    template <typename Predicate> void removeIf(Predicate matches) {
        requireMainThread("removing an observer");
        std::erase_if(_entries, [&](const std::shared_ptr<Entry>& entry) {
            if (!matches(entry->registration))
                return false;
            entry->removed = true;
            return true;
        });
    }

    // Calls `call` with each registration that `matches` accepts, in order.
    template <typename Predicate, typename Call> void notify(Predicate matches, Call call) const {
        requireMainThread("posting to observers");
        std::vector<std::shared_ptr<Entry>> snapshot;
        for (const auto& entry : _entries) {
            if (matches(entry->registration))
                snapshot.push_back(entry);
        }
        for (const auto& entry : snapshot) {
            if (!entry->removed)
                call(entry->registration);
        }
    }

    template <typename Predicate> std::size_t count(Predicate matches) const {
        std::size_t found = 0;
        for (const auto& entry : _entries)
            found += matches(entry->registration) ? 1 : 0;
        return found;
    }
    bool empty() const { return _entries.empty(); }

  private:
    struct Entry {
        explicit Entry(Registration from) : registration(std::move(from)) {}
        Registration registration;
        bool removed = false;
    };
    std::vector<std::shared_ptr<Entry>> _entries;
};
