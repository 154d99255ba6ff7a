target_sources(kexui PRIVATE
  src/ui/autostart/AutostartItem.cpp
)
