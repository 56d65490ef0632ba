// A log record's event read back from its RecordData, for the table's Severity column and the
// summary's worst condition: every field at its place, and a text of another shape refused.
#include "program/record_event.h"

#include <gtest/gtest.h>

#include <string>

namespace norvwmi {
namespace {

TEST(RecordEvent, ReadsTheEventFieldsAtTheirPlaces) {
    // A POST error (event data 2 and 3 OEM codes), as the default platform's second record.
    const auto post = RecordEvent("*1.0.1*02 00*02*6c d7 4b 52*01 00*04*0f*01*true*6f*a0*11*55*");
    ASSERT_TRUE(post);
    EXPECT_EQ(post->deviceId, "1.0.1");
    EXPECT_EQ(post->sensorType, 0x0F);
    EXPECT_EQ(post->eventType, 0x6F);
    EXPECT_EQ(post->deassertion, 0);
    EXPECT_EQ(post->offset, 0);
    EXPECT_EQ(post->dataUsage, 0x0A);
    EXPECT_EQ(RecordEventText(*post), "System Firmware POST error OEM code: 17 OEM code: 85");
    EXPECT_EQ(RecordSeverity(*post), 5);
    // A record whose sensor has no device id still has its event.
    const auto unnamed = RecordEvent("**02 00*02*6c d7 4b 52*01 00*04*0f*01*true*6f*a0*11*55*");
    ASSERT_TRUE(unnamed);
    EXPECT_EQ(unnamed->deviceId, "");
    EXPECT_EQ(unnamed->eventData3, 0x55);

    // A deassertion; a power supply's failure, Major, and its repaired form (event data 2
    // "Transition to OK"), Information.
    const auto back = RecordEvent("*43.0.32*09 00*02*00 00 00 00*20 00*04*08*2b*false*6f*03*ff*ff*");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->deassertion, 1);
    EXPECT_EQ(back->offset, 3);
    const auto failed = RecordEvent("*43.0.32*09 00*02*00 00 00 00*20 00*04*08*2b*true*6f*01*ff*ff*");
    const auto repaired = RecordEvent("*43.0.32*09 00*02*00 00 00 00*20 00*04*08*2b*true*6f*41*0f*ff*");
    ASSERT_TRUE(failed && repaired);
    EXPECT_EQ(RecordSeverity(*failed), 5);
    EXPECT_EQ(RecordSeverity(*repaired), 2);
}

TEST(RecordEvent, ATextOfAnotherShapeIsNoEvent) {
    const std::string good = "*1.0.1*02 00*02*6c d7 4b 52*01 00*04*0f*01*true*6f*a0*11*55*";
    ASSERT_TRUE(RecordEvent(good));
    for (const std::string& text : {
             std::string(),
             good.substr(0, good.size() - 1),              // no closing asterisk
             good.substr(1),                               // no opening one
             good.substr(0, good.size() - 3),              // a field short
             good + "00*",                                 // a field more
             std::string(good).replace(good.find("true"), 4, "yes"),
             std::string(good).replace(good.rfind("55"), 2, "5"),   // one digit
             std::string(good).replace(good.rfind("55"), 2, "5g"),  // not hexadecimal
         }) {
        EXPECT_FALSE(RecordEvent(text)) << text;
    }
}

}  // namespace
}  // namespace norvwmi
