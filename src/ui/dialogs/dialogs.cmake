target_sources(kexui PRIVATE
  src/ui/dialogs/Dialogs.h
  src/ui/dialogs/Dialogs.cpp
)
