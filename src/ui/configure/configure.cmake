target_sources(kexui PRIVATE
  src/ui/configure/IconPicker.h
  src/ui/configure/IconPicker.cpp
)
