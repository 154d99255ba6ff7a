target_sources(kexcore PRIVATE
  src/core/system/CdTray.cpp
  src/core/system/GeneralHints.cpp
  src/core/system/Power.cpp
)
