// The conversion job record and the cancel polling on a real window queue.
#include <gtest/gtest.h>

#include <string>

#include "engine/ConversionJob.h"
#include "tests/engine/ConverterFixture.h"

namespace {

using ConversionJobTest = ConverterTest;

bool KeyWaiting(HWND window, WPARAM key) {
  MSG message;
  return PeekMessageA(&message, window, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE) && message.wParam == key;
}

TEST_F(ConversionJobTest, JobsLiveInMovableMemoryAndNeverHoldACutPath) {
  ConversionJob* job = CreateConversionJob(owner, nullptr, "C:\\docs\\a.doc", 42, &options);
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->quiet, 0);
  EXPECT_EQ(job->owner, owner);
  EXPECT_EQ(std::string(job->path), "C:\\docs\\a.doc");
  EXPECT_EQ(job->keyValue, 42u);
  EXPECT_EQ(job->options, &options);
  HGLOBAL block = GlobalHandle(job);
  ASSERT_NE(block, nullptr);
  EXPECT_NE(static_cast<void*>(block), static_cast<void*>(job));  // a movable block's handle is not its address
  EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 1u);
  EXPECT_TRUE(ReleaseConversionJob(job));

  EXPECT_NE(CreateConversionJob(owner, nullptr, std::string(255, 'p').c_str(), 1, &options), nullptr);
  EXPECT_EQ(CreateConversionJob(owner, nullptr, std::string(256, 'p').c_str(), 1, &options), nullptr);
}

// A look takes every key waiting: an Esc behind other keys is seen at once,
// and no key outlives the look. Between looks at least 50 ms pass.
TEST_F(ConversionJobTest, PollingTakesEveryKeyWaitingAndLooksAtMostEvery50Ms) {
  for (WPARAM key : {WPARAM{'A'}, WPARAM{'B'}, WPARAM{VK_DELETE}}) PostMessageA(owner, WM_KEYDOWN, key, 0);
  PostMessageA(owner, WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageA(owner, WM_KEYDOWN, 'D', 0);
  ResetAbortPolling();
  EXPECT_EQ(AbortRequested(owner), 1);
  EXPECT_FALSE(TakeKeyMessages());

  PostMessageA(owner, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(AbortRequested(owner), 0);  // too soon to look again
  EXPECT_TRUE(KeyWaiting(owner, VK_ESCAPE));
  ResetAbortPolling();
  EXPECT_EQ(AbortRequested(owner), 1);

  // Esc as a character counts too; without a window the main window's
  // queue is polled.
  PostMessageA(owner, WM_CHAR, 27, 0);
  ResetAbortPolling();
  EXPECT_EQ(AbortRequested(nullptr), 1);
}

// Releasing Esc (or C with Ctrl) is no request: closing a box with Esc
// leaves the key's release in the queue of the window under the box. The
// look still takes it.
TEST_F(ConversionJobTest, KeysReleasedDoNotCancel) {
  BYTE keys[256];
  GetKeyboardState(keys);
  const BYTE control = keys[VK_CONTROL];
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  PostMessageA(owner, WM_KEYUP, VK_ESCAPE, 0);
  PostMessageA(owner, WM_KEYUP, 'C', 0);
  PostMessageA(owner, WM_SYSKEYUP, VK_ESCAPE, 0);
  ResetAbortPolling();
  EXPECT_EQ(AbortRequested(owner), 0);
  EXPECT_FALSE(TakeKeyMessages());
  keys[VK_CONTROL] = control;
  SetKeyboardState(keys);
}

TEST_F(ConversionJobTest, CtrlCCancelsAsACharacterAndAsAKeyWithCtrlHeld) {
  PostMessageA(owner, WM_CHAR, 3, 0);
  ResetAbortPolling();
  EXPECT_EQ(AbortRequested(owner), 1);

  BYTE keys[256];
  GetKeyboardState(keys);
  const BYTE control = keys[VK_CONTROL];
  PostMessageA(owner, WM_KEYDOWN, 'C', 0);
  ResetAbortPolling();
  EXPECT_EQ(AbortRequested(owner), 0);  // C alone is just a key

  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  PostMessageA(owner, WM_KEYDOWN, 'C', 0);
  ResetAbortPolling();
  EXPECT_EQ(AbortRequested(owner), 1);
  keys[VK_CONTROL] = control;
  SetKeyboardState(keys);
}

}  // namespace
