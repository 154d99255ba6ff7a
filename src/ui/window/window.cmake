target_sources(kexui PRIVATE
  src/ui/window/MainWindow.h
  src/ui/window/MainWindow.cpp
  src/ui/window/BarControls.h
  src/ui/window/BarControls.cpp
  src/ui/window/BarMenus.h
  src/ui/window/BarMenus.cpp
  src/ui/window/BarContext.h
  src/ui/window/BarContext.cpp
  src/ui/window/TaskbarEntry.h
  src/ui/window/TaskbarEntry.cpp
  src/ui/window/WindowState.h
)
