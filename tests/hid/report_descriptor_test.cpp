#include "hid/report_descriptor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hid/hid_test_support.h"

namespace calvorn::hid {
namespace {

using test::CompositeInterface;
using test::kBootKeyboard;
using test::kConsumerControl;
using test::kVendorCollection;
using test::kWheelMouse;

const HidReportCaps& Input(const HidTopCollection& c) {
    return c.Reports(HidReportType::kInput);
}
const HidReportCaps& Output(const HidTopCollection& c) {
    return c.Reports(HidReportType::kOutput);
}

TEST(ReportDescriptorTest, BootKeyboard) {
    const auto parsed = HidReportDescriptor::Parse(kBootKeyboard);
    ASSERT_TRUE(parsed);
    EXPECT_FALSE(parsed->uses_report_ids);
    ASSERT_EQ(parsed->collections.size(), 1u);
    const HidTopCollection& keyboard = parsed->collections[0];
    EXPECT_EQ(keyboard.usage_page, 0x01);
    EXPECT_EQ(keyboard.usage, 0x06);
    EXPECT_EQ(keyboard.link_collection_nodes, 1);
    // 8 bytes of input and 1 of output, each behind the (unused) report ID byte.
    EXPECT_EQ(Input(keyboard).report_length, 9);
    EXPECT_EQ(Output(keyboard).report_length, 2);
    EXPECT_EQ(keyboard.Reports(HidReportType::kFeature).report_length, 0);
    EXPECT_EQ(Input(keyboard).report_ids, std::vector<std::uint8_t>{0});

    ASSERT_EQ(Input(keyboard).buttons.size(), 2u);
    EXPECT_TRUE(Input(keyboard).values.empty());
    const HidButtonCaps& modifiers = Input(keyboard).buttons[0];
    EXPECT_EQ(modifiers.usage_page, 0x07);
    EXPECT_TRUE(modifiers.is_range);
    EXPECT_FALSE(modifiers.is_array);
    EXPECT_EQ(modifiers.usage_min, 0xE0);
    EXPECT_EQ(modifiers.usage_max, 0xE7);
    EXPECT_EQ(modifiers.bit_offset, 0u);
    EXPECT_EQ(modifiers.bit_size, 1);
    EXPECT_EQ(modifiers.report_count, 8);

    const HidButtonCaps& keys = Input(keyboard).buttons[1];
    EXPECT_EQ(keys.usage_page, 0x07);
    EXPECT_TRUE(keys.is_array);
    EXPECT_EQ(keys.usage_min, 0x00);
    EXPECT_EQ(keys.usage_max, 0x65);
    EXPECT_EQ(keys.array_index, 0u);
    EXPECT_EQ(keys.bit_offset, 16u);  // after the modifiers and the reserved byte
    EXPECT_EQ(keys.bit_size, 8);
    EXPECT_EQ(keys.report_count, 6);
    EXPECT_EQ(keys.logical_max, 0x65);

    ASSERT_EQ(Output(keyboard).buttons.size(), 1u);
    EXPECT_EQ(Output(keyboard).buttons[0].usage_page, 0x08);
    EXPECT_EQ(Output(keyboard).buttons[0].usage_min, 1);
    EXPECT_EQ(Output(keyboard).buttons[0].usage_max, 5);
}

TEST(ReportDescriptorTest, WheelMouse) {
    const auto parsed = HidReportDescriptor::Parse(kWheelMouse);
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->collections.size(), 1u);  // the nested Pointer collection is not top-level
    const HidTopCollection& mouse = parsed->collections[0];
    EXPECT_EQ(mouse.usage_page, 0x01);
    EXPECT_EQ(mouse.usage, 0x02);
    EXPECT_EQ(mouse.link_collection_nodes, 2);
    EXPECT_EQ(Input(mouse).report_length, 5);

    ASSERT_EQ(Input(mouse).buttons.size(), 1u);
    EXPECT_EQ(Input(mouse).buttons[0].usage_page, 0x09);
    EXPECT_EQ(Input(mouse).buttons[0].usage_max, 3);

    // One single-usage caps per axis, each one signed relative byte.
    const std::vector<HidValueCaps>& values = Input(mouse).values;
    ASSERT_EQ(values.size(), 3u);
    const std::uint16_t usages[] = {0x30, 0x31, 0x38};
    for (std::size_t i = 0; i < values.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(values[i].usage_page, 0x01);
        EXPECT_FALSE(values[i].is_range);
        EXPECT_EQ(values[i].usage_min, usages[i]);
        EXPECT_EQ(values[i].usage_max, usages[i]);
        EXPECT_EQ(values[i].bit_offset, 8u + 8u * i);
        EXPECT_EQ(values[i].bit_size, 8);
        EXPECT_EQ(values[i].report_count, 1);
        EXPECT_EQ(values[i].logical_min, -127);
        EXPECT_EQ(values[i].logical_max, 127);
        EXPECT_FALSE(values[i].is_absolute);
    }
}

TEST(ReportDescriptorTest, ConsumerControl) {
    const auto parsed = HidReportDescriptor::Parse(kConsumerControl);
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->uses_report_ids);
    ASSERT_EQ(parsed->collections.size(), 1u);
    const HidTopCollection& consumer = parsed->collections[0];
    EXPECT_EQ(consumer.usage_page, 0x0C);
    EXPECT_EQ(consumer.usage, 0x01);
    EXPECT_EQ(Input(consumer).report_ids, std::vector<std::uint8_t>{3});
    EXPECT_EQ(Input(consumer).report_length, 3);
    ASSERT_EQ(Input(consumer).buttons.size(), 1u);
    const HidButtonCaps& selector = Input(consumer).buttons[0];
    EXPECT_TRUE(selector.is_array);
    EXPECT_EQ(selector.report_id, 3);
    EXPECT_EQ(selector.usage_min, 0);
    EXPECT_EQ(selector.usage_max, 0x7FF);
    EXPECT_EQ(selector.bit_size, 16);
    EXPECT_EQ(selector.logical_max, 0x7FF);
}

TEST(ReportDescriptorTest, CompositeInterfaceSplitsIntoItsTopLevelCollections) {
    const auto parsed = HidReportDescriptor::Parse(CompositeInterface());
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->uses_report_ids);
    struct Expected {
        std::uint16_t usage_page, usage;
        std::uint8_t report_id;
        std::uint16_t input_length, output_length;
    };
    const Expected expected[] = {
        {0x0001, 0x80, 1, 2, 0},
        {0x0001, 0x06, 2, 15, 0},  // 109 key bits + 3 padding bits = 14 bytes
        {0x000C, 0x01, 3, 3, 0},
        {0xFF1C, 0x92, 4, 64, 64},
    };
    ASSERT_EQ(parsed->collections.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const HidTopCollection& c = parsed->collections[i];
        EXPECT_EQ(c.usage_page, expected[i].usage_page);
        EXPECT_EQ(c.usage, expected[i].usage);
        EXPECT_EQ(Input(c).report_ids, std::vector<std::uint8_t>{expected[i].report_id});
        EXPECT_EQ(Input(c).report_length, expected[i].input_length);
        EXPECT_EQ(Output(c).report_length, expected[i].output_length);
    }

    const HidTopCollection& vendor = parsed->collections[3];
    EXPECT_EQ(Output(vendor).report_ids, std::vector<std::uint8_t>{4});
    ASSERT_EQ(Input(vendor).values.size(), 1u);
    const HidValueCaps& payload = Input(vendor).values[0];
    EXPECT_EQ(payload.usage_page, 0xFF1C);
    EXPECT_EQ(payload.usage_min, 0x01);
    EXPECT_EQ(payload.report_count, 63);  // one value array over the whole payload
    EXPECT_EQ(payload.logical_max, 255);
}

TEST(ReportDescriptorTest, GlobalItemsAndUsageForms) {
    const std::vector<std::uint8_t> bytes = {
        0x05, 0x01,                    // Usage Page (Generic Desktop)
        0x09, 0x05,                    // Usage (Game Pad)
        0xA1, 0x01,                    // Collection (Application)
        0x15, 0x00,                    //   Logical Minimum (0)
        0x25, 0xFF,                    //   Logical Maximum (255 in one byte: unsigned here)
        0x35, 0x00,                    //   Physical Minimum (0)
        0x46, 0xE8, 0x03,              //   Physical Maximum (1000)
        0x55, 0x0E,                    //   Unit Exponent (-2 as a nibble)
        0x65, 0x11,                    //   Unit (cm)
        0x75, 0x08,                    //   Report Size (8)
        0x95, 0x01,                    //   Report Count (1)
        0xA4,                          //   Push
        0x0B, 0x32, 0x00, 0x02, 0x00,  //   Usage (Simulation Controls: Throttle), 32-bit
        0x81, 0x02,                    //   Input (Data, Variable, Absolute)
        0x55, 0x03,                    //   Unit Exponent (3)
        0xB4,                          //   Pop: the exponent is -2 again
        0x09, 0x32,                    //   Usage (Z)
        0x81, 0x42,                    //   Input (Data, Variable, Absolute, Null State)
        0xC0,                          // End Collection
    };
    const auto parsed = HidReportDescriptor::Parse(bytes);
    ASSERT_TRUE(parsed);
    const std::vector<HidValueCaps>& values = Input(parsed->collections.at(0)).values;
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].usage_page, 0x02);
    EXPECT_EQ(values[0].usage_min, 0x32);
    EXPECT_EQ(values[0].logical_max, 255);
    EXPECT_EQ(values[0].physical_max, 1000);
    EXPECT_EQ(values[0].unit_exponent, -2);
    EXPECT_EQ(values[0].unit, 0x11u);
    EXPECT_FALSE(values[0].has_null);
    EXPECT_EQ(values[1].usage_page, 0x01);
    EXPECT_EQ(values[1].unit_exponent, -2);
    EXPECT_TRUE(values[1].has_null);
    EXPECT_EQ(values[1].bit_offset, 8u);
}

TEST(ReportDescriptorTest, MalformedDescriptorsAreRejected) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {"short item cut off", {0x05, 0x01, 0xA1, 0x01, 0x26, 0xFF}},
        {"long item cut off", {0xFE, 0x10, 0x00, 0x01, 0x02}},
        {"end collection without collection", {0xC0}},
        {"collection left open", {0x09, 0x01, 0xA1, 0x01}},
        {"pop on an empty stack", {0xB4}},
        {"report ID 0", {0xA1, 0x01, 0x85, 0x00, 0xC0}},
        {"field wider than 256 bits", {0xA1, 0x01, 0x76, 0x01, 0x01, 0xC0}},
        {"usage minimum above maximum", {0xA1, 0x01, 0x19, 0x05, 0x29, 0x01, 0xC0}},
        {"report longer than the limit",
         {0xA1, 0x01, 0x09, 0x01, 0x75, 0x08, 0x96, 0xFF, 0xFF, 0x81, 0x02, 0xC0}},
        {"more fields than the limit",
         {0xA1, 0x01, 0x09, 0x01, 0x75, 0x01, 0x96, 0x00, 0x50, 0x81, 0x02, 0xC0}},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(HidReportDescriptor::Parse(c.bytes)) << c.name;
    }

    std::vector<std::uint8_t> deep;
    for (std::size_t i = 0; i <= HidReportDescriptor::kMaxCollectionDepth; ++i) {
        deep.insert(deep.end(), {0xA1, 0x00});
    }
    deep.insert(deep.end(), HidReportDescriptor::kMaxCollectionDepth + 1, 0xC0);
    EXPECT_FALSE(HidReportDescriptor::Parse(deep)) << "collections nested too deep";

    std::vector<std::uint8_t> pushes(HidReportDescriptor::kMaxGlobalStackDepth + 1, 0xA4);
    EXPECT_FALSE(HidReportDescriptor::Parse(pushes)) << "push stack overflow";

    std::vector<std::uint8_t> huge(HidReportDescriptor::kMaxDescriptorSize + 1, 0x00);
    EXPECT_FALSE(HidReportDescriptor::Parse(huge)) << "descriptor too long";
}

TEST(ReportDescriptorTest, EmptyDescriptorHasNoCollections) {
    const auto parsed = HidReportDescriptor::Parse({});
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->collections.empty());
}

}  // namespace
}  // namespace calvorn::hid
