// String values and the string spaces: placement with spare bytes, the five
// cases of assignment, freeing and the temporary list, packing and
// enlarging, the data block with its DosDescriptor records, the descriptor
// pool, and the critical errors on exhaustion.
#include <vector>

#include "platform/plat_msgbox.h"
#include "tests/strings/strings_fixture.h"

namespace {

using StringSpace = StringsTest;

const std::string letters(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('a' + i % 26);
    return s;
}

RtString* top_of_free_stack() {
    const DescriptorPool& pool = rts_descriptor_pool();
    return pool.free_count ? pool.free_stack[pool.free_count - 1] : nullptr;
}

// ---- placement ---------------------------------------------------------------

TEST_F(StringSpace, NewStringsSitInByteOrderWith32SpareBytesBehindEach) {
    uint64_t used = rts_main_space().used;
    RtString* empty = rts_new(0, 0);
    EXPECT_EQ(empty->len, 0);
    EXPECT_EQ(main_offset(empty), used);
    EXPECT_EQ(rts_main_space().used, used + 32);

    RtString* five = rts_new(5, 0);
    RtString* seven = rts_new(7, 1);
    EXPECT_EQ(five->data, empty->data + 32);
    EXPECT_EQ(seven->data, five->data + 5 + 32);
    EXPECT_EQ(seven->space_index, five->space_index + 1);
    EXPECT_FALSE(five->is_temp);
    EXPECT_TRUE(seven->is_temp);
    EXPECT_EQ(seven->temp_index + 1u, rts_temp_mark());
}

TEST_F(StringSpace, SharedEmptyAndSpaceStringsLiveInTheDataBlock) {
    const DataBlockSpace& block = rts_data_block();
    ASSERT_NE(rts_empty_string, nullptr);
    ASSERT_NE(rts_space_string, nullptr);
    EXPECT_EQ(text(rts_empty_string), "");
    EXPECT_EQ(text(rts_space_string), " ");
    EXPECT_TRUE(rts_empty_string->in_data_block);
    EXPECT_FALSE(rts_empty_string->is_temp);
    EXPECT_EQ(block_offset(rts_empty_string), 256u);
    EXPECT_EQ(block_offset(rts_space_string), 256u);
    EXPECT_EQ(rts_empty_string->dos_descriptor_offset, 65524);
    EXPECT_EQ(rts_space_string->dos_descriptor_offset, 65520);
    EXPECT_EQ(block.used, 257u);
    EXPECT_EQ(block.top, 65520u);
    // The record of the space string: length 1 at offset 256, little-endian.
    const uint8_t* record = ConvMemory + CONV_DATA_BLOCK + 65520;
    EXPECT_EQ(std::vector<int>(record, record + 4), (std::vector<int>{1, 0, 0, 1}));
    for (uint32_t i = 65528; i < 65536; ++i) EXPECT_EQ(ConvMemory[CONV_DATA_BLOCK + i], 0) << i;
}

// ---- assignment --------------------------------------------------------------

TEST_F(StringSpace, AssigningATemporaryToAVariableTakesItsBytesOver) {
    RtString* v = rts_new(0, 0);
    uint32_t mark = rts_temp_mark();
    RtString* t = temp(letters(40));
    uint8_t* bytes = t->data;
    int32_t index = t->space_index;
    uint64_t used = rts_main_space().used;

    EXPECT_EQ(rts_assign(v, t), v);
    EXPECT_EQ(text(v), letters(40));
    EXPECT_EQ(v->data, bytes);
    EXPECT_EQ(v->space_index, index);
    EXPECT_EQ(rts_main_space().used, used);  // no new bytes
    EXPECT_EQ(rts_temp_mark(), mark);        // it was the newest temporary
    EXPECT_EQ(top_of_free_stack(), t);       // its descriptor is back in the pool
    EXPECT_FALSE(v->is_temp);
}

TEST_F(StringSpace, TakingOverAnOlderTemporaryLeavesItsEntryFree) {
    RtString* v = rts_new(0, 0);
    uint32_t mark = rts_temp_mark();
    RtString* older = temp("older");
    RtString* newer = temp("newer");
    rts_assign(v, older);
    EXPECT_EQ(text(v), "older");
    EXPECT_EQ(rts_temp_mark(), mark + 2);  // the newer temporary still stands behind it
    EXPECT_EQ(rts_temp_list().entries[mark], nullptr);
    EXPECT_EQ(rts_release_temps(mark, 7), 7);
    EXPECT_EQ(rts_temp_mark(), mark);
    EXPECT_EQ(top_of_free_stack(), newer);
}

TEST_F(StringSpace, AssigningALiteralCopiesItAndFreesTheLiteral) {
    static const char hello[] = "HELLO";
    RtString* v = rts_new(0, 0);
    uint32_t mark = rts_temp_mark();
    RtString* l = rts_from_literal(hello, 5);
    EXPECT_TRUE(l->is_literal);
    rts_assign(v, l);
    EXPECT_EQ(text(v), "HELLO");
    EXPECT_NE(v->data, reinterpret_cast<const uint8_t*>(hello));
    EXPECT_EQ(rts_temp_mark(), mark);
    EXPECT_EQ(top_of_free_stack(), l);
}

TEST_F(StringSpace, FixedLengthDestinationsPadWithSpacesOrCut) {
    struct Case {
        std::string value;
        std::string stored;
    };
    const Case cases[] = {{"AB", "AB   "}, {"ABCDEFG", "ABCDE"}, {"", "     "}, {"VWXYZ", "VWXYZ"}};
    for (const Case& c : cases) {
        char storage[7] = "######";
        RtString* fixed = rts_wrap_fixed(storage, 5, 0);
        uint32_t mark = rts_temp_mark();
        rts_assign(fixed, temp(c.value));
        EXPECT_EQ(fixed->len, 5);
        EXPECT_EQ(std::string(storage), c.stored + "#") << c.value;
        EXPECT_EQ(rts_temp_mark(), mark) << "the temporary source is freed";
        rts_free(fixed);
    }
}

TEST_F(StringSpace, AShorterValueStaysInPlaceAndKeepsTheOldTailReserved) {
    RtString* v = var("HELLO WORLD");
    uint8_t* place = v->data;
    rts_assign(v, lit("HI"));
    EXPECT_EQ(v->data, place);
    EXPECT_EQ(text(v), "HI");
    RtString* next = rts_new(3, 0);
    EXPECT_GE(next->data, place + 11 + 32);
}

TEST_F(StringSpace, ALongerValueGrowsTheLastStringInPlace) {
    RtString* v = var("AB");
    uint8_t* place = v->data;
    const std::string value = letters(100);  // well past the 32 spare bytes
    rts_assign(v, lit(value));
    EXPECT_EQ(v->data, place);
    EXPECT_EQ(text(v), value);
    EXPECT_EQ(rts_main_space().used, main_offset(v) + 100);  // exactly its end: no spare bytes
}

TEST_F(StringSpace, ALongerValueUsesTheSpareBytesOrMovesPastAFollowingString) {
    RtString* v = placed("AB");
    RtString* w = placed("CD");
    uint8_t* place = v->data;
    ASSERT_EQ(w->data, place + 2 + 32);

    const std::string fits = letters(34);  // up to w's first byte
    rts_assign(v, lit(fits));
    EXPECT_EQ(v->data, place);
    EXPECT_EQ(text(v), fits);

    uint64_t high_water = rts_main_space().used;
    const std::string longer = letters(35);
    rts_assign(v, lit(longer));
    EXPECT_EQ(main_offset(v), high_water);
    EXPECT_EQ(rts_main_space().used, high_water + 35);
    EXPECT_GT(v->space_index, w->space_index);
    EXPECT_EQ(text(v), longer);
    EXPECT_EQ(text(w), "CD");
}

TEST_F(StringSpace, ALongerValueGrowsInPlaceWhenOnlyFreedStringsFollow) {
    RtString* v = var("AB");
    RtString* gone = var("CD");
    rts_free(gone);
    uint8_t* place = v->data;
    rts_assign(v, lit(letters(80)));
    EXPECT_EQ(v->data, place);
    EXPECT_EQ(text(v), letters(80));
}

TEST_F(StringSpace, AssigningAStringToItselfChangesNothing) {
    RtString* v = var("SAME");
    uint8_t* place = v->data;
    EXPECT_EQ(rts_assign(v, v), v);
    EXPECT_EQ(text(v), "SAME");
    EXPECT_EQ(v->data, place);

    RtString* t = temp("TEMP");  // a temporary assigned to itself stays alive
    rts_assign(t, t);
    EXPECT_EQ(text(t), "TEMP");
    EXPECT_TRUE(t->is_temp);
}

TEST_F(StringSpace, ALiteralDestinationBecomesAStringOfItsOwn) {
    static const char original[] = "READ ONLY";
    RtString* l = rts_from_literal(original, 9);
    rts_assign(l, lit("CHANGED TEXT"));
    EXPECT_EQ(text(l), "CHANGED TEXT");
    EXPECT_STREQ(original, "READ ONLY");
    EXPECT_FALSE(l->is_literal);
}

TEST_F(StringSpace, DataBlockVariablesTakeOverDataBlockTemporariesAndKeepTheirRecordCurrent) {
    RtString* v = block_var("first");
    RtString* t = rts_new_in_data_block(6, 1);
    std::memcpy(t->data, "second", 6);
    EXPECT_EQ(t->dos_descriptor, nullptr);  // temporaries have no record
    uint8_t* bytes = t->data;
    rts_assign(v, t);
    EXPECT_EQ(v->data, bytes);
    EXPECT_EQ(text(v), "second");
    EXPECT_EQ(rts_dos_length(v->dos_descriptor), 6);
    EXPECT_EQ(rts_dos_offset(v->dos_descriptor), block_offset(v));
}

TEST_F(StringSpace, MainTemporariesAreCopiedIntoDataBlockVariables) {
    RtString* v = block_var("x");
    uint32_t mark = rts_temp_mark();
    RtString* t = temp("from the main space");
    rts_assign(v, t);
    EXPECT_TRUE(v->in_data_block);
    EXPECT_EQ(text(v), "from the main space");
    EXPECT_EQ(rts_temp_mark(), mark);
    EXPECT_EQ(rts_dos_length(v->dos_descriptor), 19);
}

// ---- freeing and the temporary list -------------------------------------------

TEST_F(StringSpace, ReleasingPassesTheValueThroughAndFreesNewestFirst) {
    uint32_t mark = rts_temp_mark();
    EXPECT_EQ(rts_release_temps(mark, -1), -1);  // nothing to release
    EXPECT_EQ(rts_release_temps(mark + 5, 42), 42);
    EXPECT_EQ(rts_temp_mark(), mark);

    RtString* a = temp("a");
    RtString* b = lit("b");
    RtString* c = temp("c");
    EXPECT_EQ(rts_release_temps(mark, 0), 0);
    EXPECT_EQ(rts_temp_mark(), mark);
    const DescriptorPool& pool = rts_descriptor_pool();
    ASSERT_GE(pool.free_count, 3u);
    EXPECT_EQ(pool.free_stack[pool.free_count - 1], a);  // freed last
    EXPECT_EQ(pool.free_stack[pool.free_count - 2], b);
    EXPECT_EQ(pool.free_stack[pool.free_count - 3], c);  // freed first
}

TEST_F(StringSpace, FreeingTemporariesOutOfOrderLeavesFreeEntriesThatAreTrimmedLater) {
    uint32_t mark = rts_temp_mark();
    RtString* t1 = temp("1");
    RtString* t2 = temp("2");
    RtString* t3 = temp("3");
    rts_free(t2);
    EXPECT_EQ(rts_temp_mark(), mark + 3);  // t3 still stands behind the free entry
    EXPECT_EQ(rts_temp_list().entries[mark + 1], nullptr);
    rts_free(t3);
    EXPECT_EQ(rts_temp_mark(), mark + 1);  // past t2's entry down to t1
    EXPECT_EQ(text(t1), "1");
    rts_release_temps(mark, 0);
    EXPECT_EQ(rts_temp_mark(), mark);
}

TEST_F(StringSpace, AfterFreeingTheHighestStringTheNextStarts32BytesBehindTheNewHighest) {
    RtString* a = var(letters(10));
    RtString* b = var(letters(300));
    rts_free(b);
    EXPECT_EQ(rts_main_space().used, main_offset(a) + 10 + 32);
    RtString* c = rts_new(4, 0);
    EXPECT_EQ(c->data, a->data + 10 + 32);
}

TEST_F(StringSpace, FreeingEveryMainStringEmptiesTheSpace) {
    std::vector<RtString*> all;
    for (int i = 0; i < 5; ++i) all.push_back(var(letters(i * 7)));
    for (RtString* s : all) rts_free(s);
    EXPECT_EQ(rts_main_space().list.count, 0);
    EXPECT_EQ(rts_main_space().used, 0u);
}

TEST_F(StringSpace, FreeingTwiceOrMakingATemporaryTwiceIsHarmless) {
    RtString* v = var("v");
    uint32_t free_before = rts_descriptor_pool().free_count;
    rts_free(v);
    rts_free(v);
    EXPECT_EQ(rts_descriptor_pool().free_count, free_before + 1);

    uint32_t mark = rts_temp_mark();
    RtString* r = var("result");
    EXPECT_EQ(rts_make_temp(r), r);
    EXPECT_EQ(rts_make_temp(r), r);
    EXPECT_EQ(rts_temp_mark(), mark + 1);
    rts_release_temps(mark, 0);
    EXPECT_EQ(rts_temp_mark(), mark);
}

TEST_F(StringSpace, AProcedureResultMadeTemporaryIsTakenOverByTheCaller) {
    RtString* caller = rts_new(0, 0);
    uint32_t mark = rts_temp_mark();
    RtString* result = rts_new(0, 0);  // made at the procedure's entry
    rts_assign(result, lit("RETURNED"));
    uint8_t* bytes = result->data;
    rts_assign(caller, rts_make_temp(result));
    EXPECT_EQ(caller->data, bytes);
    EXPECT_EQ(text(caller), "RETURNED");
    rts_release_temps(mark, 0);
    EXPECT_EQ(rts_temp_mark(), mark);
}

TEST_F(StringSpace, LiteralsAndCStringsWrapTheirBytesWithoutCopying) {
    static const char bytes[] = "abc\0def";
    RtString* l = rts_from_literal(bytes, 7);
    EXPECT_EQ(l->data, reinterpret_cast<const uint8_t*>(bytes));
    EXPECT_EQ(l->len, 7);
    EXPECT_TRUE(l->is_temp && l->is_literal);
    EXPECT_EQ(rts_from_cstring(bytes)->len, 3);
    EXPECT_EQ(rts_from_cstring(nullptr)->len, 0);
    EXPECT_EQ(rts_from_literal(bytes, -4)->len, 0);
}

// ---- packing and enlarging ------------------------------------------------------

TEST_F(StringSpace, PackingClosesOnlyGapsWiderThan32Bytes) {
    RtString* a = rts_new(10, 0);
    RtString* b = rts_new(10, 0);
    RtString* c = rts_new(10, 0);
    RtString* d = rts_new(10, 0);
    std::memcpy(d->data, "dddddddddd", 10);
    ASSERT_EQ(main_offset(a), 0u);
    ASSERT_EQ(main_offset(d), 126u);
    rts_free(c);
    const uint64_t size = rts_main_space().size;
    // A request that does not fit behind used packs the space first.
    RtString* big = rts_new(static_cast<uint32_t>(size - rts_main_space().used - 31), 0);
    EXPECT_EQ(rts_main_space().size, size);  // packing made enough room
    EXPECT_EQ(main_offset(a), 0u);
    EXPECT_EQ(main_offset(b), 42u);  // a gap of exactly 32 bytes stays
    EXPECT_EQ(main_offset(d), 52u);  // the wider gap is closed
    EXPECT_EQ(text(d), "dddddddddd");
    EXPECT_EQ(main_offset(big), 62u);
}

TEST_F(StringSpace, EnlargingMovesAllBytesAndKeepsDescriptorsValid) {
    const uint64_t size = rts_main_space().size;
    RtString* small = var("small");
    RtString* half = var(std::string(600000, 'h'));
    RtString* more = var(std::string(600000, 'm'));
    EXPECT_EQ(rts_main_space().size, size * 2 + 600000 + 32);  // old size x 2 + the need
    EXPECT_EQ(text(small), "small");
    EXPECT_EQ(text(half), std::string(600000, 'h'));
    EXPECT_EQ(text(more), std::string(600000, 'm'));
    EXPECT_EQ(string_space_fault(), "");
}

TEST_F(StringSpace, AFullListIsPackedAndGrowsWhenStillHalfFull) {
    const int32_t capacity = rts_main_space().list.capacity;
    std::vector<RtString*> strings;
    while (rts_main_space().list.count <= capacity) strings.push_back(rts_new(1, 0));
    for (size_t i = 0; i + 1 < strings.size(); i += 2) rts_free(strings[i]);  // every other one, the last kept
    RtString* after = rts_new(1, 0);
    const int32_t live = static_cast<int32_t>(strings.size() / 2) + 1;
    EXPECT_EQ(rts_main_space().list.count, live);
    EXPECT_EQ(rts_main_space().list.capacity, capacity * 2);
    EXPECT_EQ(after->space_index, live - 1);
    EXPECT_EQ(string_space_fault(), "");
}

TEST_F(StringSpace, AFullListMostlyFreedIsPackedWithoutGrowing) {
    const int32_t capacity = rts_main_space().list.capacity;
    std::vector<RtString*> strings;
    while (rts_main_space().list.count <= capacity) strings.push_back(rts_new(1, 0));
    for (size_t i = 0; i + 1 < strings.size(); ++i) {
        if (i % 3 != 0) rts_free(strings[i]);
    }
    rts_new(1, 0);
    EXPECT_EQ(rts_main_space().list.capacity, capacity);
    EXPECT_LT(rts_main_space().list.count, capacity / 2);
    EXPECT_EQ(string_space_fault(), "");
}

TEST_F(StringSpace, TheTemporaryListDoublesWhenFull) {
    uint32_t mark = rts_temp_mark();
    const uint32_t capacity = rts_temp_list().capacity;
    std::vector<RtString*> temps;
    for (uint32_t i = 0; i <= capacity; ++i) temps.push_back(rts_from_cstring("t"));
    EXPECT_EQ(rts_temp_list().capacity, capacity * 2);
    EXPECT_EQ(temps.back()->temp_index, static_cast<int32_t>(mark + capacity));
    rts_release_temps(mark, 0);
    EXPECT_EQ(rts_temp_mark(), mark);
}

// ---- descriptor pool -------------------------------------------------------------

TEST_F(StringSpace, FreedDescriptorsAreReusedFirstAndHandedOutZeroed) {
    RtString* t = temp("x");
    rts_free(t);
    RtString* again = rts_from_cstring("y");
    EXPECT_EQ(again, t);
    EXPECT_TRUE(again->is_literal);
    EXPECT_EQ(again->in_data_block, 0);
    EXPECT_EQ(again->dos_descriptor, nullptr);
}

TEST_F(StringSpace, ANewDescriptorBlockIsAddedWhenOneIsUsedUp) {
    const DescriptorPool& pool = rts_descriptor_pool();
    RtString* kept = var("kept");
    std::vector<RtString*> held;
    while (pool.free_count > 0) held.push_back(rts_new(0, 0));  // empty the free stack first
    const uint32_t blocks = pool.blocks;
    while (pool.blocks == blocks) held.push_back(rts_new(0, 0));
    EXPECT_EQ(pool.blocks, blocks + 1);
    EXPECT_EQ(pool.block_used, 1u);
    EXPECT_EQ(held.back(), &pool.block[0]);
    EXPECT_EQ(text(kept), "kept");  // descriptors of the full block stay in use
    EXPECT_EQ(string_space_fault(), "");
}

// ---- the data block ------------------------------------------------------------------

TEST_F(StringSpace, DataBlockStringsHaveNoSpareBytesAndRecordsGrowDown) {
    const DataBlockSpace& block = rts_data_block();
    uint32_t used = block.used;
    uint32_t top = block.top;
    RtString* a = rts_new_in_data_block(5, 0);
    RtString* b = rts_new_in_data_block(3, 0);
    RtString* t = rts_new_in_data_block(4, 1);
    EXPECT_EQ(block_offset(a), used);
    EXPECT_EQ(block_offset(b), used + 5);
    EXPECT_EQ(block_offset(t), used + 8);
    EXPECT_EQ(a->dos_descriptor_offset, top - 4);
    EXPECT_EQ(b->dos_descriptor_offset, top - 8);
    EXPECT_EQ(block.top, top - 8);  // the temporary took no record
    EXPECT_EQ(rts_dos_length(b->dos_descriptor), 3);
    EXPECT_EQ(rts_dos_offset(b->dos_descriptor), used + 5);
}

TEST_F(StringSpace, PackingTheDataBlockClosesEveryGapAndRewritesRecords) {
    RtString* a = block_var("aaaa");
    RtString* b = block_var("bbbb");
    RtString* c = block_var("cccc");
    uint32_t a_at = block_offset(a);
    rts_free(b);
    const DataBlockSpace& block = rts_data_block();
    RtString* filler = rts_new_in_data_block(block.top - block.used - 2, 1);  // fits behind used
    EXPECT_EQ(block_offset(c), a_at + 8);  // nothing moved yet
    rts_free(filler);
    RtString* big = rts_new_in_data_block(block.top - block.used + 2, 1);  // no longer fits behind used
    EXPECT_EQ(block_offset(a), a_at);
    EXPECT_EQ(block_offset(c), a_at + 4);
    EXPECT_EQ(text(c), "cccc");
    EXPECT_EQ(rts_dos_offset(c->dos_descriptor), a_at + 4);
    EXPECT_EQ(block_offset(big), a_at + 8);
}

TEST_F(StringSpace, ProceduresRestoringTopReuseTheRecords) {
    uint16_t top = rts_data_block_top();
    RtString* local = rts_new_in_data_block(2, 0);
    EXPECT_EQ(local->dos_descriptor_offset, top - 4);
    rts_free(local);
    rts_set_data_block_top(top);
    RtString* next = rts_new_in_data_block(2, 0);
    EXPECT_EQ(next->dos_descriptor_offset, top - 4);
}

TEST_F(StringSpace, FixedStringsInsideTheDataBlockGetARecord) {
    uint8_t* inside = ConvMemory + CONV_DATA_BLOCK + 16;  // below the first string byte
    std::memcpy(inside, "FIXED", 5);
    RtString* f = rts_wrap_fixed(inside, 5, 0);
    ASSERT_NE(f->dos_descriptor, nullptr);
    EXPECT_EQ(rts_dos_length(f->dos_descriptor), 5);
    EXPECT_EQ(rts_dos_offset(f->dos_descriptor), 16);
    EXPECT_FALSE(f->in_data_block);

    char outside[4] = "abc";
    EXPECT_EQ(rts_wrap_fixed(outside, 3, 0)->dos_descriptor, nullptr);
    EXPECT_EQ(rts_wrap_fixed(inside, 5, 1)->dos_descriptor, nullptr);  // temporaries take none
}

// ---- exhaustion ends the process with a critical error ----------------------------------

PlatMsgBoxResult answer_ok(const char*, const char*, PlatMsgBoxButtons) { return PLAT_MB_RESULT_OK; }

void exhaust(void (*what)()) {
    plat_set_msgbox_hook(answer_ok);
    what();
}

TEST_F(StringSpace, ExhaustionIsACriticalError) {
    struct Case {
        const char* caption;
        void (*what)();
    };
    const Case cases[] = {
        {"Critical Error #13", [] { rts_new_in_data_block(70000, 0); }},
        {"Critical Error #14",
         [] {
             for (int i = 0; i < 20000; ++i) rts_new_in_data_block(0, 0);
         }},
        {"Critical Error #15",
         [] {
             while (rts_data_block().top >= rts_data_block().used + 8) rts_new_in_data_block(0, 0);
             rts_new_in_data_block(rts_data_block().top - rts_data_block().used, 1);  // top meets used
             rts_wrap_fixed(ConvMemory + CONV_DATA_BLOCK, 8, 0);
         }},
        {"Critical Error #12", [] { rts_new(0x80000000u, 1); }},
    };
    for (const Case& c : cases) {
        EXPECT_EXIT(exhaust(c.what), testing::ExitedWithCode(0), c.caption) << c.caption;
    }
}

}  // namespace
