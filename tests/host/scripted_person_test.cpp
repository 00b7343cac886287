// The script's person with a person behind it (the desktop's): the script's queued
// answers come first, every other question goes to the person behind.
#include <gtest/gtest.h>

#include "host/ScriptedPerson.h"
#include "tests/support/answering_person.h"

namespace hosttest {
namespace {

using namespace nphost;

TEST(ScriptedPersonTest, WhatTheScriptLeavesGoesToThePersonBehindIt) {
  MessageLog log;
  testsupport::AnsweringPerson behind;
  behind.boxAnswer = IDNO;
  behind.menuAnswers = {7};
  behind.fileAnswers = {"/behind.jpg", "/opened.jpg"};
  behind.printerAnswers = {testsupport::Printer(300, 2, "behind.pdf")};
  ScriptedPerson person(log);
  person.SetFallback(&behind);
  person.Queue(MenuAnswer{5});
  person.Queue(SaveAnswer{"/script.jpg"});

  const platform::MenuQuestion menu{{{MF_STRING, 5, "Five"}, {MF_STRING, 7, "Seven"}}};
  platform::FileQuestion save;
  save.save = true;
  EXPECT_EQ(person.ChooseMenuItem(menu), 5u);
  EXPECT_EQ(person.ChooseMenuItem(menu), 7u);
  EXPECT_EQ(person.ChooseFile(save), "/script.jpg");
  EXPECT_EQ(person.ChooseFile(save), "/behind.jpg");
  EXPECT_EQ(person.ChooseFile(platform::FileQuestion{}), "/opened.jpg");
  EXPECT_EQ(person.ChoosePrinter(platform::PrintQuestion{})->printer.output, "behind.pdf");
  EXPECT_EQ(person.MessageBox("Caption", "Text", MB_YESNO), IDNO);

  EXPECT_EQ(behind.menus.size(), 1u);
  EXPECT_EQ(behind.files.size(), 2u);
  EXPECT_EQ(behind.printers.size(), 1u);
  EXPECT_EQ(behind.boxes.size(), 1u);
  EXPECT_EQ(person.UnusedAnswers(), 0u);
}

}  // namespace
}  // namespace hosttest
