target_sources(kexcore PRIVATE
  src/app/NewIniFile.cpp
  src/app/Settings.cpp
)
target_sources(kexcore PRIVATE src/app/Startup.cpp)
