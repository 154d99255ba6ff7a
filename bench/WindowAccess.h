// The window's controls and subsystem objects by their object names, for benchmarks.
#pragma once

#include <QObject>

#include <stdexcept>

#include "ui/launch/Launcher.h"
#include "ui/pages/PageBar.h"

namespace kex {

template <class T> T* Child(const QObject& window, const char* name)
{
    T* child = window.findChild<T*>(name);
    if (!child)
        throw std::logic_error(std::string("no child ") + name);
    return child;
}
inline PageBar& Pages(const QObject& window) { return *Child<PageBar>(window, "PageBar"); }
inline Launcher& Launch(const QObject& window) { return *Child<Launcher>(window, "Launcher"); }

} // namespace kex
