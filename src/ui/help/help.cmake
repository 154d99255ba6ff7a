target_sources(kexui PRIVATE
  src/ui/help/HelpWindow.h
  src/ui/help/HelpWindow.cpp
)
