#include "core/codec/ConfigBlock.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace undarix::core::codec {
namespace {

int DigitValue(char c) {
    const int code = static_cast<unsigned char>(c);
    return code <= '9' ? code - 48 : code - 55;
}

char HexDigit(int nibble) {
    int c = '0' + nibble;
    if (c > '9') c += 7;
    return static_cast<char>(c);
}

// The alarm levels in pair order, with the counts they were read as.
struct AlarmField {
    float WiredConfigRecord::*Level;
    std::uint16_t WiredConfigRecord::*Counts;
};
constexpr AlarmField kAlarms[4] = {
    {&WiredConfigRecord::Alarm1On, &WiredConfigRecord::Alarm1OnCounts},
    {&WiredConfigRecord::Alarm1Off, &WiredConfigRecord::Alarm1OffCounts},
    {&WiredConfigRecord::Alarm2On, &WiredConfigRecord::Alarm2OnCounts},
    {&WiredConfigRecord::Alarm2Off, &WiredConfigRecord::Alarm2OffCounts},
};
constexpr int kFirstAlarmPair = 17;

void WriteDecPair(char* block, int pair, int value) {
    Int2ASCII2Char(value, block + PairOffset(pair));
}

void WriteIntHexPair(char* block, int pair, std::int32_t value) {
    Int2HexStr(value, block + PairOffset(pair));
}

void DecodeVersion(const char* block, WiredConfigRecord& record) {
    record.Version[0] = block[0];
    record.Version[1] = block[1];
    std::memcpy(record.Version + 2, ".00", 4);
}

} // namespace

std::uint8_t HexStr2Byte(const char* twoChars) {
    return static_cast<std::uint8_t>(16 * DigitValue(twoChars[0]) + DigitValue(twoChars[1]));
}

std::uint8_t DecStr2Byte(const char* twoChars) {
    return static_cast<std::uint8_t>(10 * DigitValue(twoChars[0]) + DigitValue(twoChars[1]));
}

void Int2ASCII2Char(int value, char* dest) {
    dest[0] = static_cast<char>('0' + value / 10);
    dest[1] = static_cast<char>('0' + value % 10);
}

void Byte2HexStr(std::uint8_t value, char* dest) {
    dest[0] = HexDigit(value >> 4);
    dest[1] = HexDigit(value & 0x0F);
}

void Int2HexStr(std::int32_t value, char* dest) {
    dest[0] = HexDigit(value >> 4);
    dest[1] = HexDigit(value & 0x0F);
}

std::uint8_t ReadHexPair(const char* block, int pair) {
    return HexStr2Byte(block + PairOffset(pair));
}

std::uint8_t ReadDecPair(const char* block, int pair) {
    return DecStr2Byte(block + PairOffset(pair));
}

std::uint16_t ReadWordPairs(const char* block, int pair) {
    return static_cast<std::uint16_t>(ReadHexPair(block, pair) << 8 | ReadHexPair(block, pair + 1));
}

void WriteHexPair(char* block, int pair, std::uint8_t value) {
    Byte2HexStr(value, block + PairOffset(pair));
}

void WriteWordPairs(char* block, int pair, std::uint16_t value) {
    WriteHexPair(block, pair, static_cast<std::uint8_t>(value >> 8));
    WriteHexPair(block, pair + 1, static_cast<std::uint8_t>(value & 0xFF));
}

std::uint8_t BlockChecksum(const char* block) {
    std::uint8_t sum = 0;
    for (int pair = 0; pair < kChecksumPair; ++pair)
        sum = static_cast<std::uint8_t>(sum + ReadHexPair(block, pair));
    return sum;
}

bool BlockChecksumMatches(const char* block) {
    return BlockChecksum(block) == ReadHexPair(block, kChecksumPair);
}

std::int32_t TruncateGainOffset(float value) {
    if (!std::isfinite(value)) return 0;
    const double whole = std::trunc(double(value));
    if (whole < -2147483648.0 || whole > 2147483647.0) return 0;
    return static_cast<std::int32_t>(whole);
}

std::uint16_t EncodeGainOffset(float value) {
    return static_cast<std::uint16_t>(TruncateGainOffset(value));
}

std::int16_t BlockGain(const char* block) {
    return std::int16_t(ReadWordPairs(block, 3));
}

std::int16_t BlockOffset(const char* block) {
    return std::int16_t(ReadWordPairs(block, 5));
}

bool GainOffsetTaken(float held, std::int16_t received) {
    return TruncateGainOffset(held) == received;
}

std::uint16_t AlarmLevel2Counts(float levelMm, float staffLengthMm) {
    // A staff length of 0 means the prescale matched no staff: no level can be expressed.
    if (staffLengthMm == 0.0f || !std::isfinite(staffLengthMm) || !std::isfinite(levelMm)) return 0;
    // Truncated toward zero. The tolerance (a thousandth of a count, far below a millimetre)
    // keeps a level that is a whole count, such as 2 m of a 4.095 m staff or a level read from
    // the unit, from losing that count to the binary rounding of a float and the division.
    const double exact = double(levelMm) / double(staffLengthMm) * kAlarmFullScale;
    const double counts = std::trunc(exact + (exact >= 0.0 ? 1e-3 : -1e-3));
    return static_cast<std::uint16_t>(std::clamp(counts, 0.0, double(kAlarmFullScale)));
}

float AlarmCounts2Level(std::uint16_t counts, float staffLengthMm) {
    return static_cast<float>(double(counts) / kAlarmFullScale * double(staffLengthMm));
}

std::uint16_t AlarmCountsToSend(const WiredConfigRecord& record, int which) {
    if (which < 0 || which >= 4) return 0;
    const AlarmField& field = kAlarms[which];
    const std::uint16_t counts = record.*field.Counts;
    const float level = record.*field.Level;
    // Converting the level back would truncate or round a count that was never changed.
    if (level == AlarmCounts2Level(counts, record.StaffLength)) return counts;
    return AlarmLevel2Counts(level, record.StaffLength);
}

std::size_t BuildConfigBlock(const WiredConfigRecord& record, int unitKind, char* out) {
    const bool ravoZerar = IsRavoZerarBlockKind(unitKind);
    const bool deveZuravi = IsDeveZuraviBlockKind(unitKind);
    if (!ravoZerar && !deveZuravi) {
        out[0] = '\0';
        return 0;
    }
    for (int pair = 0; pair < kPairCount; ++pair) {
        char* at = out + PairOffset(pair);
        at[0] = '0';
        at[1] = '0';
        at[2] = ',';
    }
    out[kBlockLength] = '\0';

    out[0] = record.Version[0];
    out[1] = record.Version[1];
    WriteHexPair(out, 1, record.Prescale);
    WriteHexPair(out, 2, record.PrescaleRange);
    WriteWordPairs(out, 3, EncodeGainOffset(record.Gain));
    WriteWordPairs(out, 5, EncodeGainOffset(record.Offset));
    WriteHexPair(out, 7, record.SampleRate);

    if (ravoZerar) {
        WriteHexPair(out, 16, record.AlarmFlags);
        for (int which = 0; which < 4; ++which)
            WriteWordPairs(out, kFirstAlarmPair + 2 * which, AlarmCountsToSend(record, which));
    } else {
        WriteIntHexPair(out, 8, record.BurstLength);
        WriteIntHexPair(out, 9, record.BurstInterval);
        WriteIntHexPair(out, 10, record.FileInterval);
        const int clock[] = {record.ClockSecond,     record.ClockMinute, record.ClockHour,
                             record.ClockSpare,      record.ClockDay,    record.ClockMonth,
                             record.ClockYear - 2000};
        for (int i = 0; i < 7; ++i)
            WriteDecPair(out, 11 + i, clock[i]);
        const int start[] = {record.StartMinute, record.StartHour, record.StartDay,
                             record.StartMonth, record.StartYear - 2000};
        for (int i = 0; i < 5; ++i)
            WriteDecPair(out, 18 + i, start[i]);
        WriteIntHexPair(out, 41, record.LoggerSpare);
    }
    WriteHexPair(out, 42, record.ModeFlags);
    WriteHexPair(out, kChecksumPair, BlockChecksum(out));
    // A NUL inside (an empty version) ends what is sent there.
    const void* nul = std::memchr(out, '\0', kBlockLength);
    return nul ? std::size_t(static_cast<const char*>(nul) - out) : kBlockLength;
}

void DecodeBlockPrescale(const char* block, WiredConfigRecord& record) {
    record.Prescale = ReadHexPair(block, 1);
    record.PrescaleRange = ReadHexPair(block, 2);
}

bool DecodeConfigBlock(const char* block, int unitKind, WiredConfigRecord& record) {
    const bool ravoZerar = IsRavoZerarBlockKind(unitKind);
    if (!ravoZerar && !IsDeveZuraviBlockKind(unitKind)) return false;

    DecodeVersion(block, record);
    record.Gain = BlockGain(block);
    record.Offset = BlockOffset(block);
    record.SampleRate = ReadHexPair(block, 7);
    record.ModeFlags = ReadHexPair(block, 42);

    if (ravoZerar) {
        // Kind 4 carries no alarms the program shows; its fields keep what they held.
        if (unitKind == 3) {
            record.AlarmFlags = ReadHexPair(block, 16);
            for (int which = 0; which < 4; ++which) {
                const AlarmField& field = kAlarms[which];
                const std::uint16_t counts = ReadWordPairs(block, kFirstAlarmPair + 2 * which);
                record.*field.Counts = counts;
                record.*field.Level = AlarmCounts2Level(counts, record.StaffLength);
            }
        }
        return true;
    }

    record.BurstLength = ReadHexPair(block, 8);
    record.BurstInterval = ReadHexPair(block, 9);
    record.FileInterval = ReadHexPair(block, 10);
    record.ClockSecond = ReadDecPair(block, 11);
    record.ClockMinute = ReadDecPair(block, 12);
    record.ClockHour = ReadDecPair(block, 13);
    record.ClockDay = ReadDecPair(block, 15);
    record.ClockMonth = ReadDecPair(block, 16);
    record.ClockYear = 2000 + ReadDecPair(block, 17);
    record.StartMinute = ReadDecPair(block, 18);
    record.StartHour = ReadDecPair(block, 19);
    record.StartDay = ReadDecPair(block, 20);
    record.StartMonth = ReadDecPair(block, 21);
    record.StartYear = 2000 + ReadDecPair(block, 22);
    record.LoggerSpare = ReadHexPair(block, 41);
    return true;
}

} // namespace undarix::core::codec
