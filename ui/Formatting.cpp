// Date, time and size texts. The names are English whatever the system's
// language, and the few time conversions are written out here rather than
// taken from strftime, whose names and digits follow the C library's locale.
#include "Formatting.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kDayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                      "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthNames[13] = {"",     "January", "February",  "March",   "April",
                                         "May",  "June",    "July",      "August",  "September",
                                         "October", "November", "December"};
constexpr char kMorning[] = "AM";
constexpr char kAfternoon[] = "PM";

constexpr char kIntl[] = "Intl";
constexpr int kLongDateSize = 81;  // the long-date picture: at most 80 characters
constexpr std::size_t kDatePieceLimit = 80;
constexpr std::size_t kTimeLimit = 255;

const char* DayName(const SYSTEMTIME& t) { return kDayNames[t.wDayOfWeek % 7]; }
const char* MonthName(const SYSTEMTIME& t) { return t.wMonth <= 12 ? kMonthNames[t.wMonth] : ""; }

// A bounded text under construction: appends stop silently at `limit`
// characters, and the text is always terminated.
class TextBuilder {
 public:
  TextBuilder(char* out, std::size_t limit) : out_(out), limit_(limit) { out_[0] = '\0'; }
  void Append(const char* text, std::size_t count) {
    while (count-- > 0 && *text && length_ < limit_) out_[length_++] = *text++;
    out_[length_] = '\0';
  }
  void Append(const char* text) { Append(text, std::strlen(text)); }
  void AppendChar(char c) { Append(&c, 1); }
  void AppendTwoDigits(unsigned value) {
    char digits[3] = {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10), '\0'};
    Append(digits);
  }
  void AppendNumber(unsigned value) {
    char digits[12];
    std::snprintf(digits, sizeof digits, "%u", value);
    Append(digits);
  }

 private:
  char* out_;
  std::size_t limit_;
  std::size_t length_ = 0;
};

// Expands the conversions %d %m %y %Y %a %A %b %B %H %I %M (and %%) of
// `picture` for the time `t` into `out`, at most `limit` characters. Any
// other character, and an unknown conversion, is copied as it stands.
void ExpandPicture(const char* picture, const SYSTEMTIME& t, char* out, std::size_t limit) {
  TextBuilder text(out, limit);
  for (const char* p = picture; *p; ++p) {
    if (*p != '%' || p[1] == '\0') {
      text.AppendChar(*p);
      continue;
    }
    switch (*++p) {
      case 'd': text.AppendTwoDigits(t.wDay); break;
      case 'm': text.AppendTwoDigits(t.wMonth); break;
      case 'y': text.AppendTwoDigits(t.wYear % 100); break;
      case 'Y': text.AppendNumber(t.wYear); break;
      case 'a': text.Append(DayName(t), 3); break;
      case 'A': text.Append(DayName(t)); break;
      case 'b': text.Append(MonthName(t), 3); break;
      case 'B': text.Append(MonthName(t)); break;
      case 'H': text.AppendTwoDigits(t.wHour); break;
      case 'I': text.AppendTwoDigits(t.wHour % 12 == 0 ? 12 : t.wHour % 12); break;
      case 'M': text.AppendTwoDigits(t.wMinute); break;
      case '%': text.AppendChar('%'); break;
      default:
        text.AppendChar('%');
        text.AppendChar(*p);
        break;
    }
  }
}

void DropLeadingZero(char* text) {
  if (text[0] == '0') std::memmove(text, text + 1, std::strlen(text));
}

SYSTEMTIME Now(const SYSTEMTIME* at) {
  SYSTEMTIME now;
  if (at) {
    now = *at;
  } else {
    GetLocalTime(&now);
  }
  return now;
}

const char* CopyOut(const char* result, char* buffer, std::size_t bufferSize) {
  if (buffer && bufferSize > 0) std::snprintf(buffer, bufferSize, "%s", result);
  return result;
}

template <std::size_t N>
void ReadIntl(const char* name, const char* fallback, char (&out)[N]) {
  GetProfileStringA(kIntl, name, fallback, out, N);
}

// The date piece of one long-date token: the conversion by the token's first
// letter and length, followed by a blank, or the token itself.
void DatePiece(const char* token, const SYSTEMTIME& t, char* out, std::size_t limit) {
  const std::size_t length = std::strlen(token);
  const char* picture = token;
  bool dropZero = false;
  switch (token[0]) {
    case 'd':
    case 'D':
      picture = length == 2 ? "%d " : length == 3 ? "%a " : length == 4 ? "%A " : "%d ";
      dropZero = length < 2 || length > 4;
      break;
    case 'm':
    case 'M':
      picture = length == 2 ? "%m " : length == 3 ? "%b " : length == 4 ? "%B " : "%m ";
      dropZero = length < 2 || length > 4;
      break;
    case 'y':
    case 'Y':
      picture = length == 4 ? "%Y " : "%y ";
      break;
    default:
      break;
  }
  ExpandPicture(picture, t, out, limit);
  if (dropZero) DropLeadingZero(out);
}

char* nextTokenPosition = nullptr;

}  // namespace

char* FormatSize(DWORD size, char* buffer, std::size_t bufferSize) {
  if (!buffer || bufferSize == 0) return buffer;
  if (size < 1024) {
    std::snprintf(buffer, bufferSize, "%lu", static_cast<unsigned long>(size));
    return buffer;
  }
  // size / 2^shift with two decimals, computed in integers so that neither
  // floating point nor the C library's decimal point can change the text;
  // a value exactly half-way between two hundredths rounds up.
  const int shift = size < 1048576 ? 10 : size < 1073741824 ? 20 : 30;
  const char unit = shift == 10 ? 'K' : shift == 20 ? 'M' : 'G';
  const unsigned long long hundredths =
      (static_cast<unsigned long long>(size) * 100 + (1ULL << (shift - 1))) >> shift;
  std::snprintf(buffer, bufferSize, "%llu.%02u %c", hundredths / 100, static_cast<unsigned>(hundredths % 100),
                unit);
  if (char* zeros = std::strstr(buffer, ".00")) std::memmove(zeros, zeros + 3, std::strlen(zeros + 3) + 1);
  return buffer;
}

int FormatFileTime(const FILETIME& time, char* buffer, std::size_t bufferSize) {
  if (!buffer || bufferSize == 0) return 0;
  buffer[0] = '\0';
  if (time.dwLowDateTime == 0 && time.dwHighDateTime == 0) return 0;
  FILETIME local;
  SYSTEMTIME t;
  if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &t)) return 0;
  const char* marker = t.wHour >= 12 ? kAfternoon : kMorning;
  unsigned hour = t.wHour > 12 ? t.wHour - 12u : t.wHour == 0 ? 12u : t.wHour;
  std::snprintf(buffer, bufferSize, "%s, %s %u, %u - %u:%02u %s", DayName(t), MonthName(t),
                static_cast<unsigned>(t.wDay), static_cast<unsigned>(t.wYear), hour,
                static_cast<unsigned>(t.wMinute), marker);
  return 1;
}

const char* FormatIntlTime(char* buffer, std::size_t bufferSize, const SYSTEMTIME* at) {
  static char result[kTimeLimit + 1];
  const bool twentyFour = GetProfileIntA(kIntl, "iTime", 0) != 0;
  const bool keepZero = GetProfileIntA(kIntl, "iTLZero", 0) != 0;
  const SYSTEMTIME now = Now(at);

  // Only the long-date picture is limited to 80 characters; these two are
  // read as far as the result can hold them.
  char separator[kTimeLimit + 1];
  char suffix[kTimeLimit + 1];
  ReadIntl("sTime", ":", separator);
  ReadIntl(twentyFour || now.wHour >= 12 ? "s2359" : "s1159", "", suffix);

  char picture[sizeof separator + sizeof suffix + 8];
  std::snprintf(picture, sizeof picture, "%s%s%%M%s%s", twentyFour ? "%H" : "%I", separator,
                suffix[0] ? " " : "", suffix);
  ExpandPicture(picture, now, result, kTimeLimit);
  if (!keepZero) DropLeadingZero(result);
  return CopyOut(result, buffer, bufferSize);
}

const char* FormatIntlDate(char* buffer, std::size_t bufferSize, const SYSTEMTIME* at) {
  static char result[kFormatTextSize];
  const SYSTEMTIME now = Now(at);
  char picture[kLongDateSize];
  ReadIntl("sLongDate", "ddd, mmm d, yyyy", picture);

  TextBuilder text(result, sizeof result - 1);
  for (char* token = NextToken(picture, "', "); token; token = NextToken(nullptr, "', ")) {
    char piece[kDatePieceLimit + 1];
    DatePiece(token, now, piece, kDatePieceLimit);
    text.Append(piece);
  }
  return CopyOut(result, buffer, bufferSize);
}

const char* FormatIntlDateTime(char* buffer, std::size_t bufferSize, const SYSTEMTIME* at) {
  static char result[2 * kFormatTextSize];
  // One reading of the clock for both halves, so that a call just before
  // midnight cannot pair one day's date with the next day's time.
  const SYSTEMTIME now = Now(at);
  std::snprintf(result, sizeof result, "%s  %s", FormatIntlDate(nullptr, 0, &now),
                FormatIntlTime(nullptr, 0, &now));
  return CopyOut(result, buffer, bufferSize);
}

char* NextToken(char* text, const char* separators) {
  if (text) nextTokenPosition = text;
  char* p = nextTokenPosition;
  if (!p) return nullptr;
  while (*p && std::strchr(separators, *p)) ++p;
  if (!*p) {
    // The text may not outlive its split (FormatIntlDate's picture does not
    // outlive the call): keep no pointer into it once the split is over.
    nextTokenPosition = nullptr;
    return nullptr;
  }
  char* token = p;
  while (*p && !std::strchr(separators, *p)) ++p;
  if (*p) *p++ = '\0';
  nextTokenPosition = p;
  return token;
}
