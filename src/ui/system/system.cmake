target_sources(kexui PRIVATE
  src/ui/system/OnTop.h
  src/ui/system/OnTop.cpp
  src/ui/system/SystemActions.h
  src/ui/system/SystemActions.cpp
)
