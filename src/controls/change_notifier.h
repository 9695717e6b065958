#pragma once

#include <functional>

namespace cadenzo {

// A group of settings owned by a control (a button's colour set, a label's shadow): assigning a
// different value tells the owner through OnChange, which repaints it; the same value does not.
class ChangeNotifier {
public:
    std::function<void()> OnChange;

protected:
    template <class T> void Set(T& field, T value) {
        if (field == value)
            return;
        field = value;
        if (OnChange)
            OnChange();
    }
};

} // namespace cadenzo
