// The maker's name and contact details, as the program writes them into the
// "Application" section of its settings. The one place to change them.
#pragma once

constexpr char kMakerCompany[] = "Norvik Studio";
constexpr char kMakerAuthor[] = "Norvik Studio";
// The studio publishes no postal, telephone or on-line contact of its own,
// so these stay empty in the settings.
constexpr char kMakerAddress[] = "";
constexpr char kMakerPostOffice[] = "";
constexpr char kMakerTelephone[] = "";
constexpr char kMakerCompuServe[] = "";
constexpr char kMakerWebSite[] = "";
constexpr char kMakerEmail[] = "";
// The studio's on-line service account was closed.
constexpr char kMakerAol[] = "No Longer Available";
