#pragma once
// The program's web site, opened from the help menu and the Information page.
inline constexpr char16_t kWebSiteAddress[] = u"https://www.dustmote.example/";
