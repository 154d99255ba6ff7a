target_sources(kexcore PRIVATE
  src/core/keyboard/KeySelection.cpp
  src/core/keyboard/StayOnTop.cpp
)
