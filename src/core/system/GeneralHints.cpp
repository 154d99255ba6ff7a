#include "core/system/GeneralHints.h"

namespace kex {

GeneralHintTexts GeneralHints(bool on)
{
    GeneralHintTexts h;
    if (!on)
        return h;
    h.help = "Mouse: LEFT=Help\n"
             "F1 = Help  F2 = OnTop/Normal  F3 = Shrink/Enlarge Kexbar  F4 = Setup Options  F5 = Button Options\n"
             "F6 = Page Options  F7 = Last Launched Menu  F8 = Open/Close CD Tray  F9 = Activate Screen Saver";
    h.tabs = "Mouse: LEFT=Select Page  RIGHT=Page Options\n"
             "[PageUp = Tab PageUp] [PageDown = Tab PageDown] [Home = First Page] [End = Last Page]";
    h.run = "Mouse: LEFT=Run Any Application  RIGHT=Last Launched Menu";
    h.gaugeMouse = "Mouse: LEFT=Shrink  RIGHT=Setup";
    h.gaugeSuffix = "\n" + h.gaugeMouse;
    h.trayTail = "  Mouse: LEFT=ButtonBar  RIGHT=Last Launched Menu";
    h.button = "Mouse: LEFT=Load/Launch  RIGHT=Options\n"
               "Keyboard:[<-- = Scroll Left] [--> = Scroll Right]";
    return h;
}

} // namespace kex
