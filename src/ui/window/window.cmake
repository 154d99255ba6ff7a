target_sources(kexui PRIVATE
  src/ui/window/MainWindow.h
  src/ui/window/MainWindow.cpp
)
