#include <gtest/gtest.h>

#include "model/byte_order.h"
#include "model/level_model.h"
#include "model/records.h"

namespace kes {
namespace {

LayerEntry layerNamed(const std::string& name)
{
    LayerEntry entry;
    entry.objPath = name;
    return entry;
}

std::vector<std::string> names(const LayerTable& table)
{
    std::vector<std::string> result;
    for (int i = 0; i < table.count(); ++i)
        result.push_back(table.at(i).objPath);
    return result;
}

TEST(Tables, AppendRefusesTheThirtyThirdEntry)
{
    LayerTable layers;
    TargetTable targets;
    for (int i = 0; i < kTableCapacity; ++i) {
        ASSERT_TRUE(layers.append(layerNamed(std::to_string(i))));
        ASSERT_TRUE(targets.append(TargetEntry{float(i), 0, 0, 0}));
    }
    EXPECT_FALSE(layers.append(layerNamed("extra")));
    EXPECT_FALSE(targets.append(TargetEntry{}));
    EXPECT_EQ(layers.count(), 32);
    EXPECT_EQ(targets.count(), 32);
    EXPECT_EQ(layers.at(31).objPath, "31");
    EXPECT_EQ(targets.at(31).x, 31.0f);
}

TEST(Tables, RemoveAtKeepsTheOrderOfTheRest)
{
    struct Case {
        int remove;
        std::vector<std::string> left;
    };
    const Case cases[] = {
        {0, {"b", "c"}}, {1, {"a", "c"}}, {2, {"a", "b"}}, {3, {"a", "b", "c"}}, {-1, {"a", "b", "c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.remove);
        LayerTable table;
        for (const char* name : {"a", "b", "c"})
            table.append(layerNamed(name));
        table.removeAt(c.remove);
        EXPECT_EQ(names(table), c.left);
    }
    LayerTable table;
    table.append(layerNamed("a"));
    table.clear();
    EXPECT_EQ(table.count(), 0);
}

TEST(Tables, ANewLayerEntryIsCleared)
{
    LayerEntry entry;
    EXPECT_EQ(entry.objPath, "");
    EXPECT_EQ(entry.bmpPath, "");
    EXPECT_EQ(entry.kind, 0);
    EXPECT_EQ(entry.frames, 0);
    EXPECT_EQ(entry.draw, 0);
    EXPECT_EQ(entry.collision, 0);
    for (float v : entry.triggerArea)
        EXPECT_EQ(v, 0.0f);
}

TEST(Tables, TriggerAreaIsStoredInItsOwnElementOrder)
{
    const std::array<float, 6> typed = {1, 2, 3, 4, 5, 6}; // x1,x2,y1,y2,z1,z2
    const TriggerArea stored = triggerAreaFromTypedOrder(typed);
    EXPECT_EQ(stored, (TriggerArea{1, 4, 6, 2, 3, 5}));
    EXPECT_EQ(triggerAreaToTypedOrder(stored), typed);
}

TEST(Records, LayerRecordHasItsFieldsAtTheirOffsets)
{
    LayerEntry entry;
    entry.objPath = "mesh.obj";
    entry.bmpPath = "tex.bmp";
    entry.speed = {1, 2, 3};
    entry.vibration = {4, 5, 6};
    entry.triggerArea = {7, 8, 9, 10, 11, 12};
    entry.kind = 3;
    entry.frames = 250;
    entry.draw = 1;
    entry.collision = 1;

    std::uint8_t record[kLayerRecordSize];
    std::memset(record, 0xAB, sizeof record);
    encodeLayerRecord(entry, record);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(record)), "mesh.obj");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(record + 250)), "tex.bmp");
    EXPECT_EQ(getF32(record + 500), 1.0f);
    EXPECT_EQ(getF32(record + 508), 3.0f);
    EXPECT_EQ(getF32(record + 512), 4.0f);
    EXPECT_EQ(getF32(record + 524), 7.0f);
    EXPECT_EQ(getF32(record + 544), 12.0f);
    EXPECT_EQ(getI32(record + 548), 3);
    EXPECT_EQ(getI32(record + 552), 250);
    EXPECT_EQ(record[556], 1);
    EXPECT_EQ(record[557], 1);
    EXPECT_EQ(record[558], 0);
    EXPECT_EQ(record[559], 0);
    // Little-endian regardless of host: 250 = FA 00 00 00.
    EXPECT_EQ(record[552], 0xFA);
    EXPECT_EQ(record[553], 0x00);
    EXPECT_EQ(decodeLayerRecord(record), entry);
}

TEST(Records, PathsAreCutTo249Bytes)
{
    LayerEntry entry;
    entry.objPath = std::string(249, 'p');
    entry.bmpPath = std::string(260, 'q');
    std::uint8_t record[kLayerRecordSize];
    encodeLayerRecord(entry, record);
    LayerEntry back = decodeLayerRecord(record);
    EXPECT_EQ(back.objPath, std::string(249, 'p'));
    EXPECT_EQ(back.bmpPath, std::string(249, 'q'));
}

TEST(Records, TargetRecordIsSixteenBytes)
{
    const TargetEntry entry{1.5f, -2, 3, 1};
    std::uint8_t record[kTargetRecordSize];
    encodeTargetRecord(entry, record);
    const std::uint8_t expected[16] = {0x00, 0x00, 0xC0, 0x3F, 0x00, 0x00, 0x00, 0xC0,
                                       0x00, 0x00, 0x40, 0x40, 0x01, 0x00, 0x00, 0x00};
    EXPECT_EQ(std::memcmp(record, expected, 16), 0);
    EXPECT_EQ(decodeTargetRecord(record), entry);
}

} // namespace
} // namespace kes
