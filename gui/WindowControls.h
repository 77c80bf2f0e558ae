#pragma once

#include <QWidget>
#include <vector>

#include "ControlTable.h"

namespace korvel {

// The controls of one cipher window, made from the control table: created in the window's own
// order, named, placed, captioned, described for screen readers, in their first state and
// chained for the Tab key.
class WindowControls {
public:
    WindowControls(QWidget& window, Direction direction);

    template <typename T = QWidget>
    T* Get(ControlId id) const {
        return qobject_cast<T*>(widgets_[static_cast<std::size_t>(id)]);
    }

    // Puts the focus on the first control in Tab order that can take it.
    void FocusFirst() const;

private:
    void Place(const ControlRow& row);
    void Describe(const ControlRow& row);

    Direction direction_;
    std::vector<QWidget*> widgets_;
};

}  // namespace korvel
