target_sources(kexui PRIVATE
  src/ui/protect/Protection.h
  src/ui/protect/Protection.cpp
)
