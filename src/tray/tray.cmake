target_sources(kexui PRIVATE src/tray/Tray.cpp)
