target_sources(kexui PRIVATE src/protect/Protection.cpp)
