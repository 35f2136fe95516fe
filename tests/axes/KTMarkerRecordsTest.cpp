#include "axes/KTCurvePointBuffer.h"
#include "axes/KTMarker.h"
#include "axes/KTMarkerList.h"

#include <gtest/gtest.h>

#include <memory>

TEST(KTMarkerRecords, InitResetsPointAndIdentifiersOnly)
{
    KTMarker marker;
    marker.m_point = KTPoint(3, 4);
    marker.m_kind = KTMarkerLocalMaximum;
    marker.m_refined = 1;
    marker.m_tag = 7;
    marker.m_secondId = 8;
    marker.m_position = 9;
    marker.m_equation = 1;
    marker.m_data = 42;
    marker.Init();
    EXPECT_EQ(marker.m_point, KTPoint(0, 0));
    EXPECT_EQ(marker.m_tag, -1);
    EXPECT_EQ(marker.m_secondId, -1);
    EXPECT_EQ(marker.m_position, -1);
    EXPECT_EQ(marker.m_kind, KTMarkerLocalMaximum);
    EXPECT_EQ(marker.m_refined, 1);
    EXPECT_EQ(marker.m_equation, 1);
    EXPECT_EQ(marker.m_data, 42);
}

TEST(KTMarkerRecords, ListGrowsToItsCapacityAndSaysWhenFull)
{
    auto list = std::make_unique<KTMarkerList>();
    EXPECT_EQ(list->m_count, 0);
    EXPECT_EQ(list->At(0), nullptr);
    KTMarker marker;
    marker.Init();
    for (int i = 0; i < KTMarkerList::Capacity; ++i) {
        marker.m_position = static_cast<std::int16_t>(i);
        ASSERT_TRUE(list->Add(marker));
    }
    EXPECT_TRUE(list->IsFull());
    EXPECT_FALSE(list->m_full);
    EXPECT_FALSE(list->Add(marker));
    EXPECT_TRUE(list->m_full);
    EXPECT_EQ(list->m_count, KTMarkerList::Capacity);
    EXPECT_EQ(list->At(KTMarkerList::Capacity - 1)->m_position, KTMarkerList::Capacity - 1);
    EXPECT_EQ(list->At(KTMarkerList::Capacity), nullptr);
    EXPECT_EQ(list->At(-1), nullptr);

    list->m_count = -5; // a damaged count is refused, never used as an index
    EXPECT_FALSE(list->Add(marker));

    list->m_maxY = 3.0;
    list->Clear();
    EXPECT_EQ(list->m_count, 0);
    EXPECT_FALSE(list->m_full);
    EXPECT_EQ(list->m_maxY, 0.0);
    EXPECT_EQ(list->At(5), nullptr);
    // An entry written past the count starts from a fresh marker.
    list->Slot(5).m_kind = KTMarkerLocalMaximum;
    EXPECT_EQ(list->At(4)->m_position, -1);
    EXPECT_EQ(list->At(4)->m_kind, KTMarkerNone);
    EXPECT_EQ(list->At(5)->m_kind, KTMarkerLocalMaximum);
}

TEST(KTMarkerRecords, CurveBufferIsBoundsChecked)
{
    auto buffer = std::make_unique<KTCurvePointBuffer>();
    EXPECT_EQ(buffer->m_count, 0);
    EXPECT_EQ(KTCurvePointBuffer::Capacity, 1604);
    EXPECT_NE(buffer->At(1603), nullptr);
    EXPECT_EQ(buffer->At(1604), nullptr);
    EXPECT_EQ(buffer->At(-1), nullptr);
    const KTCurvePoint& point = buffer->m_points[10];
    EXPECT_EQ(point.m_point, KTPoint(0, 0));
    EXPECT_EQ(point.m_draw, 0);
    EXPECT_EQ(point.m_break, 0);
}
