// Button numbering across pages and the hint text of a button.
#pragma once

#include <string>
#include <string_view>

namespace kex {

inline constexpr int kButtonSize = 37;
inline constexpr int kButtonStep = 36;

// Button n (from 1) lies on page (n - 1) div B (from 0) at slot (n - 1) mod B.
inline int PageOfButton(int n, int buttonsPerPage) { return (n - 1) / buttonsPerPage; }
inline int SlotOfButton(int n, int buttonsPerPage) { return (n - 1) % buttonsPerPage; }
inline int FirstButtonOfPage(int page, int buttonsPerPage) { return page * buttonsPerPage + 1; }
inline int ButtonLeft(int slot) { return kButtonStep * slot; }

// Every "~" becomes a line break, at most seven of them; later ones stay.
std::string HintFromDescription(std::string_view description);

// The hint of an empty button.
inline constexpr std::string_view kBlankButtonHint = "Mouse: Left=Load/Launch  Right=Options";

// The hint of a loaded button: its description as hint lines, else its name
// (ProgramLabel of the program, with the parameters after a blank).
std::string ButtonHint(std::string_view program, std::string_view description, std::string_view parameters);

} // namespace kex
