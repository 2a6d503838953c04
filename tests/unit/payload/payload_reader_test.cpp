// The payload reader's accounting: every request counts whole for the
// progress meter, delivery is cut at the payload's end, and the decoder's
// buffer receives the whole requested count.
#include "payload/payload_reader.h"
#include "progress/progress_meter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <vector>

namespace {

class PayloadReader : public testing::Test {
  protected:
    void SetUp() override {
        payload.resize(10000);
        std::iota(payload.begin(), payload.end(), uint8_t{1});
        bytes_requested = 0;
        progress_scale = 0;
        current_payload = payload_cursor{payload.data(), 6824, 0}; // 3 * 2048 + 680
        std::memset(staging_buffer, 0xEE, sizeof staging_buffer);
    }
    std::vector<uint8_t> payload;
};

TEST_F(PayloadReader, RequestsCountWholeAndDeliveryStopsAtTheEnd) {
    struct Step {
        uint32_t delivered, consumed;
        int32_t requested;
    };
    const Step steps[] = {{2048, 2048, 2048}, {2048, 4096, 4096}, {2048, 6144, 6144},
                          {680, 6824, 8192},  {0, 6824, 10240},   {0, 6824, 12288}};
    for (const Step &s : steps) {
        uint8_t *block = read_payload_block(2048);
        EXPECT_EQ(block, staging_buffer);
        EXPECT_EQ(last_read_count, s.delivered);
        EXPECT_EQ(current_payload.consumed, s.consumed);
        EXPECT_EQ(bytes_requested, s.requested);
    }
}

TEST_F(PayloadReader, DecoderBufferGetsTheRequestedCountWithLeftoversPastTheEnd) {
    uint8_t buffer[2048];
    uint32_t size = 2048;
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(on_decoder_read(buffer, &size, nullptr), 2048u);
    EXPECT_EQ(std::memcmp(buffer, payload.data() + 4096, 2048), 0);
    std::memset(buffer, 0, sizeof buffer);
    EXPECT_EQ(on_decoder_read(buffer, &size, nullptr), 680u);
    EXPECT_EQ(std::memcmp(buffer, payload.data() + 6144, 680), 0);
    // Past the delivered bytes: what the staging buffer held from the read before.
    EXPECT_EQ(std::memcmp(buffer + 680, payload.data() + 4096 + 680, 2048 - 680), 0);
    // Nothing left: nothing copied into the staging buffer, the count still goes on.
    EXPECT_EQ(on_decoder_read(buffer, &size, nullptr), 0u);
    EXPECT_EQ(std::memcmp(buffer, payload.data() + 6144, 680), 0);
    EXPECT_EQ(bytes_requested, 5 * 2048);
    EXPECT_EQ(size, 2048u);
}

TEST_F(PayloadReader, ResetStartsTheNextPayloadWhileTheCountRunsOn) {
    while (current_payload.consumed < current_payload.length)
        read_payload_block(2048);
    const int32_t after_first = bytes_requested;
    reset_payload_cursor();
    current_payload = payload_cursor{payload.data() + 5000, 3000, current_payload.consumed};
    reset_payload_cursor();
    read_payload_block(2048);
    EXPECT_EQ(std::memcmp(staging_buffer, payload.data() + 5000, 2048), 0);
    EXPECT_EQ(bytes_requested, after_first + 2048);
}

TEST_F(PayloadReader, APayloadThatWasNotFoundDeliversNothing) {
    current_payload = payload_cursor{nullptr, 6824, 0};
    uint8_t buffer[2048];
    uint32_t size = 2048;
    EXPECT_EQ(on_decoder_read(buffer, &size, nullptr), 0u);
    EXPECT_EQ(bytes_requested, 2048);
}

TEST_F(PayloadReader, EveryReadRefreshesTheMeter) {
    progress_scale = 1.0 / 2048; // one pixel per request
    for (int32_t i = 1; i <= 4; ++i) {
        read_payload_block(2048);
        EXPECT_EQ(progress_value, i);
    }
}

} // namespace
