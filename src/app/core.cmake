target_sources(kexcore PRIVATE
  src/app/NewIniFile.cpp
  src/app/Settings.cpp
)
