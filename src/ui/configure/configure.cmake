target_sources(kexui PRIVATE
  src/ui/configure/ButtonMenu.cpp
  src/ui/configure/Configure.cpp
)
