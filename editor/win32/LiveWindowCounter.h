#ifndef QUENCHBOX_EDITOR_WIN32_LIVEWINDOWCOUNTER_H
#define QUENCHBOX_EDITOR_WIN32_LIVEWINDOWCOUNTER_H

#include <windows.h>

#include <vector>

namespace quenchbox::editor {

// The live windows of one widget class, counted for each module that
// registered the class. Each module registers the class under a name of its
// own, so each registration may only go when that module's last window of
// the class has gone, however many editors are open in the process.
class LiveWindowCounter {
public:
    int& of(HINSTANCE module)
    {
        for (Entry& entry : entries)
            if (entry.module == module)
                return entry.count;
        entries.push_back({module, 0});
        return entries.back().count;
    }

private:
    struct Entry {
        HINSTANCE module;
        int count;
    };
    std::vector<Entry> entries;
};

}  // namespace quenchbox::editor

#endif
