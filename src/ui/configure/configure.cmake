target_sources(kexui PRIVATE
  src/ui/configure/ButtonConfigurator.h
  src/ui/configure/ButtonConfigurator.cpp
  src/ui/configure/IconPicker.h
  src/ui/configure/IconPicker.cpp
)
