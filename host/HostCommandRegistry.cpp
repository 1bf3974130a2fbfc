#include "HostCommandRegistry.h"

#include <algorithm>

#include "HostCommand.h"

std::vector<HostCommandRegistry::Entry>& HostCommandRegistry::Entries() {
    // Built on first use: registrations run during static initialisation.
    static std::vector<Entry> entries;
    return entries;
}

bool HostCommandRegistry::Add(const char* name, const char* summary, Factory make) {
    Entries().push_back({name, summary, make});
    return true;
}

std::vector<HostCommandRegistry::Entry> HostCommandRegistry::Sorted() {
    std::vector<Entry> sorted = Entries();
    std::sort(sorted.begin(), sorted.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return sorted;
}
