target_sources(kexui PRIVATE
  src/ui/keys/KeyboardSelection.h
  src/ui/keys/KeyboardSelection.cpp
)
