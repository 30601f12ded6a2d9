// Wall-clock times for tests of date and time texts: a local SYSTEMTIME,
// and the UTC file time the file system holds for a local time.
#pragma once

#include <windows.h>

inline SYSTEMTIME At(WORD year, WORD month, WORD day, WORD dayOfWeek, WORD hour, WORD minute, WORD second = 0) {
  SYSTEMTIME t = {};
  t.wYear = year;
  t.wMonth = month;
  t.wDay = day;
  t.wDayOfWeek = dayOfWeek;
  t.wHour = hour;
  t.wMinute = minute;
  t.wSecond = second;
  return t;
}

// The UTC file time of local wall-clock time `local`; zero when the time
// cannot be converted.
inline FILETIME LocalToFileTime(const SYSTEMTIME& local) {
  FILETIME localTime = {};
  FILETIME utc = {};
  if (!SystemTimeToFileTime(&local, &localTime) || !LocalFileTimeToFileTime(&localTime, &utc)) return FILETIME{};
  return utc;
}
