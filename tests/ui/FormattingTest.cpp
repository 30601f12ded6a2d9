// Size, file-time and regional date and time texts. The regional cases write
// their settings into this prefix's "Intl" section and put the user's values
// back afterwards.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/LocalTimes.h"
#include "ui/Formatting.h"

namespace {

TEST(FormatSize, BytesKilobytesMegabytesGigabytes) {
  struct Case {
    DWORD size;
    const char* text;
  };
  const Case cases[] = {
      {0, "0"},           {1, "1"},           {1023, "1023"},       {1024, "1 K"},
      {1029, "1 K"},      {1536, "1.50 K"},   {2048, "2 K"},        {10240 + 512 + 256, "10.75 K"},
      {1048575, "1024 K"}, {1048576, "1 M"},  {1572864, "1.50 M"},  {1073741823, "1024 M"},
      {1073741824, "1 G"}, {3221225472u, "3 G"}, {4294967295u, "4 G"},
      // 1.125 K lies exactly half-way between two hundredths: it rounds up.
      {1152, "1.13 K"},
  };
  for (const Case& c : cases) {
    char text[kFormatTextSize] = "stale";
    EXPECT_EQ(FormatSize(c.size, text), text);
    EXPECT_STREQ(text, c.text) << c.size;
  }
}

TEST(FormatSize, CutsToASmallBuffer) {
  char text[4];
  FormatSize(1536, text);
  EXPECT_STREQ(text, "1.5");
}

TEST(FormatFileTime, LongLocalDateAndTime) {
  struct Case {
    WORD year, month, day, hour, minute;
    const char* text;
  };
  const Case cases[] = {
      {2026, 12, 7, 21, 5, "Monday, December 7, 2026 - 9:05 PM"},
      {2026, 12, 8, 0, 0, "Tuesday, December 8, 2026 - 12:00 AM"},
      {2026, 12, 9, 12, 0, "Wednesday, December 9, 2026 - 12:00 PM"},
      {1999, 1, 1, 11, 59, "Friday, January 1, 1999 - 11:59 AM"},
      {2024, 2, 29, 13, 7, "Thursday, February 29, 2024 - 1:07 PM"},
      {2025, 7, 12, 23, 40, "Saturday, July 12, 2025 - 11:40 PM"},
      {2025, 6, 15, 9, 30, "Sunday, June 15, 2025 - 9:30 AM"},
  };
  for (const Case& c : cases) {
    char text[kFormatTextSize] = "stale";
    const FILETIME time = LocalToFileTime(At(c.year, c.month, c.day, 0, c.hour, c.minute, 30));
    ASSERT_NE(time.dwHighDateTime, 0u);
    EXPECT_EQ(FormatFileTime(time, text), 1);
    EXPECT_STREQ(text, c.text);
  }
}

TEST(FormatFileTime, ZeroTimeGivesEmptyText) {
  char text[kFormatTextSize] = "stale";
  EXPECT_EQ(FormatFileTime(FILETIME{0, 0}, text), 0);
  EXPECT_STREQ(text, "");
}

TEST(NextToken, SplitsAtAnySeparatorAndKeepsItsOwnPlace) {
  char text[] = ",,dddd, MMMM 'dd', yyyy  ";
  char other[] = "one two three";

  char* outer = std::strtok(other, " ");
  std::vector<std::string> tokens;
  for (char* token = NextToken(text, "', "); token; token = NextToken(nullptr, "', ")) {
    tokens.push_back(token);
  }
  // The strtok split that was under way goes on where it was.
  char* second = std::strtok(nullptr, " ");

  EXPECT_EQ(tokens, (std::vector<std::string>{"dddd", "MMMM", "dd", "yyyy"}));
  EXPECT_STREQ(outer, "one");
  ASSERT_NE(second, nullptr);
  EXPECT_STREQ(second, "two");
  EXPECT_EQ(NextToken(nullptr, "', "), nullptr);

  char onlySeparators[] = " ,' ";
  EXPECT_EQ(NextToken(onlySeparators, "', "), nullptr);
  char empty[] = "";
  EXPECT_EQ(NextToken(empty, ","), nullptr);
}

// A finished split keeps no hold on its text: the buffer may be gone or used
// for something else, and continuing must not read it.
TEST(NextToken, ForgetsTheTextOnceNoTokenIsLeft) {
  char buffer[32] = "one two";
  ASSERT_STREQ(NextToken(buffer, " "), "one");
  ASSERT_STREQ(NextToken(nullptr, " "), "two");
  EXPECT_EQ(NextToken(nullptr, " "), nullptr);
  std::strcpy(buffer, "reused for other words");
  EXPECT_EQ(NextToken(nullptr, " "), nullptr);

  // The same after a date, whose picture lived in the formatter's frame.
  SYSTEMTIME at = At(2026, 12, 7, 1, 21, 5);
  FormatIntlDate(nullptr, 0, &at);
  EXPECT_EQ(NextToken(nullptr, "', "), nullptr);
}

// Saves the regional values the tests change and writes them back when the
// test ends. Writing a null value through the profile deletes it for good
// under Wine, so the values are saved and restored in the registry itself.
class IntlGuard {
 public:
  IntlGuard() {
    for (const char* name : kNames) {
      Saved saved{name, false, REG_SZ, {}};
      HKEY key;
      if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        BYTE data[512];
        DWORD size = sizeof data;
        if (RegQueryValueExA(key, name, nullptr, &saved.type, data, &size) == ERROR_SUCCESS) {
          saved.present = true;
          saved.data.assign(data, data + size);
        }
        RegCloseKey(key);
      }
      saved_.push_back(saved);
    }
  }
  ~IntlGuard() {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
      ADD_FAILURE() << "cannot restore the regional settings";
      return;
    }
    for (const Saved& s : saved_) {
      if (s.present) {
        RegSetValueExA(key, s.name, 0, s.type, s.data.data(), static_cast<DWORD>(s.data.size()));
      } else {
        RegDeleteValueA(key, s.name);
      }
    }
    RegCloseKey(key);
  }
  IntlGuard(const IntlGuard&) = delete;
  IntlGuard& operator=(const IntlGuard&) = delete;

  // Sets a value through the profile, as the user's control panel would;
  // nullptr removes it, so that the formatter's default applies. (Removing
  // through the profile reports failure when the value is already gone.)
  static void Set(const char* name, const char* value) {
    if (value) {
      ASSERT_TRUE(WriteProfileStringA("Intl", name, value)) << name;
      return;
    }
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegDeleteValueA(key, name);
      RegCloseKey(key);
    }
    char probe[8];
    ASSERT_EQ(GetProfileStringA("Intl", name, "-", probe, sizeof probe), 1u) << name;
  }

  // The five values of the time of day.
  struct TimeSettings {
    const char* iTime;
    const char* iTLZero;
    const char* sTime;
    const char* s1159;
    const char* s2359;
  };
  static void SetTime(const TimeSettings& settings) {
    Set("iTime", settings.iTime);
    Set("iTLZero", settings.iTLZero);
    Set("sTime", settings.sTime);
    Set("s1159", settings.s1159);
    Set("s2359", settings.s2359);
  }

 private:
  struct Saved {
    const char* name;
    bool present;
    DWORD type;
    std::vector<BYTE> data;
  };
  static constexpr const char* kKey = "Control Panel\\International";
  static constexpr const char* kNames[] = {"iTime", "iTLZero", "sTime", "s1159", "s2359", "sLongDate"};
  std::vector<Saved> saved_;
};

const SYSTEMTIME kMondayEvening = At(2026, 12, 7, 1, 21, 5);

TEST(FormatIntlTime, FollowsTheRegionalSettings) {
  IntlGuard guard;
  struct Case {
    IntlGuard::TimeSettings settings;
    WORD hour, minute;
    const char* text;
  };
  // Time texts longer than a long-date picture may be: only the result's
  // 255 characters limit them.
  const std::string longSeparator(100, '-');
  const std::string longSuffix(120, 'p');
  const std::string tooLongSuffix(300, 'p');
  const std::string longSeparated = "9" + longSeparator + "05 " + longSuffix;
  // 255 characters with the hour's zero, which is dropped after the cut.
  const std::string cutAt255 = "9:05 " + std::string(249, 'p');
  const Case cases[] = {
      {{"0", "0", longSeparator.c_str(), "AM", longSuffix.c_str()}, 21, 5, longSeparated.c_str()},
      {{"0", "0", ":", tooLongSuffix.c_str(), "PM"}, 9, 5, cutAt255.c_str()},
      {{"0", "0", ":", "AM", "PM"}, 21, 5, "9:05 PM"},
      {{"0", "1", ":", "AM", "PM"}, 21, 5, "09:05 PM"},
      {{"0", "0", ":", "AM", "PM"}, 9, 5, "9:05 AM"},
      {{"0", "0", ":", "AM", "PM"}, 0, 0, "12:00 AM"},
      {{"0", "0", ":", "AM", "PM"}, 12, 0, "12:00 PM"},
      {{"0", "1", ":", "AM", "PM"}, 11, 59, "11:59 AM"},
      {{"1", "0", ":", "AM", ""}, 21, 5, "21:05"},
      {{"1", "0", ":", "AM", ""}, 0, 30, "0:30"},
      {{"1", "1", ":", "AM", ""}, 0, 30, "00:30"},
      // The 24-hour clock takes the afternoon suffix at any hour.
      {{"1", "0", ":", "AM", "h"}, 9, 5, "9:05 h"},
      {{"0", "0", ".", "am", "pm"}, 9, 5, "9.05 am"},
      {{"0", "0", " h ", "", ""}, 21, 5, "9 h 05"},
      // Missing values: the 12-hour clock, ":" and no suffix.
      {{nullptr, nullptr, nullptr, nullptr, nullptr}, 21, 5, "9:05"},
      {{nullptr, nullptr, nullptr, nullptr, nullptr}, 7, 45, "7:45"},
  };
  for (const Case& c : cases) {
    IntlGuard::SetTime(c.settings);
    const SYSTEMTIME at = At(2026, 12, 7, 1, c.hour, c.minute);
    char text[kFormatTextSize] = "stale";
    const char* result = FormatIntlTime(text, &at);
    EXPECT_STREQ(text, c.text) << c.hour << ":" << c.minute;
    EXPECT_STREQ(result, c.text);
  }
}

TEST(FormatIntlDate, FollowsTheLongDatePicture) {
  IntlGuard guard;
  struct Case {
    const char* picture;
    SYSTEMTIME at;
    const char* text;
  };
  const Case cases[] = {
      {"dddd, MMMM dd, yyyy", kMondayEvening, "Monday December 07 2026 "},
      {"dddd, MMMM d, yyyy", kMondayEvening, "Monday December 7 2026 "},
      {nullptr, kMondayEvening, "Mon Dec 7 2026 "},
      {"ddd, mmm d, yyyy", At(2025, 3, 17, 1, 8, 0), "Mon Mar 17 2025 "},
      {"d MMMM yyyy", kMondayEvening, "7 December 2026 "},
      {"M d yy", At(2009, 3, 5, 4, 8, 0), "3 5 09 "},
      {"MM dd yy", At(2009, 3, 5, 4, 8, 0), "03 05 09 "},
      {"dddd', 'd' de 'MMMM", At(2024, 2, 29, 4, 8, 0), "Thursday 29 29 February "},
      {"MMMM d 'of' yyyy", kMondayEvening, "December 7 of2026 "},
      // A picture with other separators is one token, read by its first
      // letter and length: here the day without a leading zero.
      {"dd.MM.yyyy", kMondayEvening, "7 "},
      {"yyyy/MM/dd", kMondayEvening, "26 "},
      {"", kMondayEvening, ""},
  };
  for (const Case& c : cases) {
    IntlGuard::Set("sLongDate", c.picture);
    char text[kFormatTextSize] = "stale";
    const char* result = FormatIntlDate(text, &c.at);
    EXPECT_STREQ(text, c.text) << (c.picture ? c.picture : "(missing)");
    EXPECT_STREQ(result, c.text);
  }
}

TEST(FormatIntlDateTime, DateTwoBlanksTime) {
  IntlGuard guard;
  IntlGuard::SetTime({"0", "0", ":", "AM", "PM"});
  IntlGuard::Set("sLongDate", nullptr);

  char text[kFormatTextSize] = "stale";
  const char* result = FormatIntlDateTime(text, &kMondayEvening);
  EXPECT_STREQ(text, "Mon Dec 7 2026   9:05 PM");
  EXPECT_STREQ(result, text);

  // Without a buffer only the static result is written; each formatter
  // keeps its own, overwritten by its next call.
  const char* date = FormatIntlDate(nullptr, 0, &kMondayEvening);
  const char* time = FormatIntlTime(nullptr, 0, &kMondayEvening);
  EXPECT_STREQ(date, "Mon Dec 7 2026 ");
  EXPECT_STREQ(time, "9:05 PM");
  const SYSTEMTIME morning = At(2026, 12, 7, 1, 8, 15);
  EXPECT_STREQ(FormatIntlTime(nullptr, 0, &morning), "8:15 AM");
  EXPECT_STREQ(time, "8:15 AM");
  EXPECT_STREQ(date, "Mon Dec 7 2026 ");

  // A small buffer gets the beginning of the text.
  char small[8];
  FormatIntlDateTime(small, &kMondayEvening);
  EXPECT_STREQ(small, "Mon Dec");
}

TEST(FormatIntlDateTime, NowIsTheLocalClock) {
  IntlGuard guard;
  IntlGuard::SetTime({"1", "1", ":", "AM", ""});
  IntlGuard::Set("sLongDate", "dd MM yyyy");

  SYSTEMTIME before;
  GetLocalTime(&before);
  std::string text = FormatIntlDateTime();
  SYSTEMTIME after;
  GetLocalTime(&after);

  auto expected = [](const SYSTEMTIME& t) {
    char line[64];
    std::snprintf(line, sizeof line, "%02u %02u %04u   %02u:%02u", t.wDay, t.wMonth, t.wYear, t.wHour,
                  t.wMinute);
    return std::string(line);
  };
  EXPECT_TRUE(text == expected(before) || text == expected(after)) << text;
}

}  // namespace
