target_sources(kexui PRIVATE
  src/app/Pictures.cpp
  src/app/Pictures.h
  src/app/HelpWindow.cpp
  src/app/HelpWindow.h
)
