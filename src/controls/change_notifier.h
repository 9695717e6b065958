#pragma once

#include <functional>

namespace cadenzo {

// A group of settings owned by a control (a button's colour set, a label's shadow): assigning a
// different value tells the owner through changed, which repaints it; the same value does not.
class ChangeNotifier {
public:
    std::function<void()> changed;

protected:
    template <class T> void Set(T& field, T value) {
        if (field == value)
            return;
        field = value;
        if (changed)
            changed();
    }
};

} // namespace cadenzo
