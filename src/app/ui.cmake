target_sources(kexui PRIVATE
  src/app/UKexbar.h
  src/app/UKexbar.cpp
  src/app/Dialogs.h
  src/app/Dialogs.cpp
)
