// The hand-written field reader against formatted stream extraction in the C
// locale (std::getline for the three header lines, >> into int32_t and
// std::string for the fields), on the texts where the two could part: white
// space, signs, 32-bit limits, numbers run into text, odd bytes, short
// headers and short last records. Both must read the same values, stop at
// the same field for the same reason and leave off at the same byte.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <locale>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "scene/reader.h"
#include "scene_fixture.h"
#include "stream_reference.h"

using namespace streamref;

namespace {

// The text with control and high bytes spelled out, for failure messages.
std::string visible(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02x", c);
      out += code;
    }
  }
  return out;
}

void expectSameReading(const Reading& stream, const Reading& fields, const std::string& bytes) {
  EXPECT_EQ(fields.values, stream.values) << visible(bytes);
  EXPECT_EQ(fields.offsets, stream.offsets) << visible(bytes);
  EXPECT_EQ(fields.stopField, stream.stopField) << visible(bytes);
  EXPECT_EQ(fields.stopReason, stream.stopReason) << visible(bytes);
  EXPECT_EQ(fields.stopOffset, stream.stopOffset) << visible(bytes);
}

// Whole, and in pieces small enough that every field, number, header line
// and CR LF pair of the test texts straddles some edge between two pieces.
constexpr std::size_t kPieceSizes[] = {0, 1, 2, 3, 5, 8, 13};

void expectSameMesh(const std::string& bytes) {
  const Reading stream = streamMesh(bytes);
  for (std::size_t piece : kPieceSizes) {
    SCOPED_TRACE(::testing::Message() << "pieces of " << piece << " bytes");
    expectSameReading(stream, fieldReaderMesh(bytes, piece), bytes);
  }
}

void expectSameExits(const std::string& bytes) {
  const Reading stream = streamExits(bytes);
  for (std::size_t piece : kPieceSizes) {
    SCOPED_TRACE(::testing::Message() << "pieces of " << piece << " bytes");
    expectSameReading(stream, fieldReaderExits(bytes, piece), bytes);
  }
}

const std::string kRecord = "1 2 3 4 5 6 7 w 0 0 a b c\n";

// `token` in place of integer field `field` of the second record.
std::string meshWithToken(const std::string& token, int field) {
  std::string record;
  const char* words[] = {"9", "-1", "0", "7", "-1", "3", "2", "w", "1", "0", "a", "b", "c"};
  for (int f = 1; f <= kMeshRecordFields; ++f) {
    record += f == field ? token : std::string(words[f - 1]);
    record += f == kMeshRecordFields ? "\n" : " ";
  }
  return kHeader + kRecord + record + kRecord;
}

// Every integer position a token can take: cell, neighbour, position and wall
// fields, and an exit between two good ones.
void expectSameWithToken(const std::string& token) {
  for (int field : {1, 2, 5, 6, 7, 9, 10}) expectSameMesh(meshWithToken(token, field));
  expectSameExits("4 " + token + " 6");
  expectSameExits(token);
}

TEST(StreamEquivalence, LeadingAndTrailingWhiteSpaceOfEveryKind) {
  for (const std::string ws : {" ", "\t", "\n", "\r", "\v", "\f", "\r\n", " \t\v\f\r\n  "}) {
    std::string spread = kRecord;
    for (char& c : spread) c = c == ' ' ? ws[0] : c;
    expectSameMesh(kHeader + ws + kRecord + ws + spread + ws);
    expectSameExits(ws + "5" + ws + "6" + ws);
  }
  EXPECT_EQ(fieldReaderExits("\v\f5\r\n\t6 ").values, (std::vector<std::int32_t>{5, 6}));
}

TEST(StreamEquivalence, Signs) {
  for (const char* token : {"+5", "-0", "+0", "+", "-", "--5", "+-5", "-+5", "- 5", "+ 5", "-a"}) {
    expectSameWithToken(token);
  }
  // A lone sign is consumed and fails; "--5" fails at its second sign.
  const Reading lone = fieldReaderExits("3 - 5");
  EXPECT_EQ(lone.values, std::vector<std::int32_t>{3});
  EXPECT_EQ(lone.stopReason, FieldResult::NotANumber);
  EXPECT_EQ(lone.stopOffset, 3u);
  EXPECT_EQ(fieldReaderExits("--5").stopOffset, 1u);
  EXPECT_EQ(fieldReaderExits("+5 -0").values, (std::vector<std::int32_t>{5, 0}));
}

TEST(StreamEquivalence, ThirtyTwoBitLimitsAndLongDigitStrings) {
  for (const char* token :
       {"2147483647", "2147483648", "-2147483648", "-2147483649", "0002147483647", "-000002147483648",
        "00000000000000000000000000000001", "4294967295", "4294967296", "9223372036854775807",
        "9223372036854775808", "-9223372036854775809", "18446744073709551616",
        "99999999999999999999999999999999999999", "21474836470"}) {
    expectSameWithToken(token);
  }
  const Reading limits = fieldReaderExits("2147483647 -2147483648 2147483648");
  EXPECT_EQ(limits.values, (std::vector<std::int32_t>{INT32_MAX, INT32_MIN}));
  EXPECT_EQ(limits.stopReason, FieldResult::OutOfRange);
  EXPECT_EQ(limits.stopOffset, limits.offsets.back() + 11);  // every digit consumed
}

TEST(StreamEquivalence, NumberRunIntoOtherCharacters) {
  for (const char* token : {"12abc", "12,", "1,2", ",5", "0x10", "0X1F", "1.5", ".5", "12-3", "12+",
                            "5e3", "007x", "x7", "\"3\"", "3;"}) {
    expectSameWithToken(token);
  }
  // "0x10": the 0 is a number, the x begins the next field.
  const Reading hex = fieldReaderExits("0x10");
  EXPECT_EQ(hex.values, std::vector<std::int32_t>{0});
  EXPECT_EQ(hex.stopOffset, 1u);
}

TEST(StreamEquivalence, ControlAndHighBytes) {
  const std::string nul(1, '\0');
  for (const std::string& token : {nul, nul + "5", "5" + nul, std::string("\xa0") + "5",
                                  std::string("\x85") + "5", std::string("\xff"),
                                  std::string("\x80\x81"), std::string("\x1c") + "5",
                                  std::string("\x7f"), std::string("\xef\xbc\x91")}) {
    expectSameWithToken(token);
    // In a word field the byte is part of the word.
    std::string record = kRecord;
    record.replace(record.find('w'), 1, token);
    expectSameMesh(kHeader + record + kRecord);
  }
  for (int byte = 0x80; byte <= 0xff; ++byte) {
    expectSameWithToken(std::string(1, static_cast<char>(byte)) + "3");
  }
}

TEST(StreamEquivalence, HeaderLines) {
  for (const std::string& header : std::vector<std::string>{
           "", "a", "a\n", "a\nb", "a\nb\n", "a\nb\nc", "a\nb\nc\n", "\n\n\n", "\r\n\r\n\r\n",
        "a\r\nb\r\nc\r\n", kRecord + kRecord + kRecord, std::string("a\0b\n\n\n", 6),
        "\n\n", "   \n\t\n\v\n"}) {
    expectSameMesh(header);
    expectSameMesh(header + kRecord);
    expectSameMesh(header + " " + kRecord);
  }
  EXPECT_EQ(fieldReaderMesh("a\nb\nc" + kRecord).offsets.size(), 0u);
  EXPECT_EQ(fieldReaderMesh("a\nb\n\n" + kRecord).offsets.size(), 1u);
}

TEST(StreamEquivalence, WhereRecordsEnd) {
  const std::string twelve = "1 2 3 4 5 6 7 w 0 0 a b";
  for (const std::string& tail :
       {std::string(), twelve, twelve + "\n", twelve + " c", twelve + " c\n", twelve + " c  \n\n",
        std::string("1"), std::string("1 2 3 4 5 6 7"), std::string("1 2 3 4 5 6 7 8 9 10 11 12 13")}) {
    expectSameMesh(kHeader + kRecord + tail);
  }
  expectSameExits("");
  expectSameExits("   \n");
  expectSameExits("7");
  const Reading twelveLast = fieldReaderMesh(kHeader + kRecord + twelve);
  EXPECT_EQ(twelveLast.offsets.size(), 1u);
  EXPECT_EQ(twelveLast.stopField, 13);
}

// Texts drawn at random from the bytes that matter to the reader, with a
// fixed seed so that a failure repeats.
TEST(StreamEquivalence, RandomTextsOverTheBytesThatMatter) {
  const std::string alphabet = std::string("0123456789+-- \t\n\r\v\fax,.\xff\x80") + '\0';
  std::mt19937 random(20240611u);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> length(0, 120);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (int n = length(random); n > 0; --n) text += alphabet[pick(random)];
    expectSameMesh("h\nh\nh\n" + text);
    expectSameExits(text);
  }
}

// A file is read in pieces; every byte value and sizes around the edge of
// a piece read as the same text does in memory. A folder reads as empty,
// with the read error noted.
TEST(StreamEquivalence, FilesReadInPiecesLikeTheirText) {
  std::string big = kHeader;
  for (int i = 0; big.size() < 300000; ++i) {
    big += std::to_string(i) + (i % 7 == 0 ? "\r\n" : " ") + static_cast<char>('a' + i % 26) + ' ';
  }
  constexpr std::size_t kPiece = 4096;
  for (const std::string& bytes : {big, big.substr(0, kPiece), big.substr(0, kPiece + 1),
                                   std::string("h\r\nh\nh\n1 2", 11), std::string()}) {
    // One name per process: test runs of several build folders may overlap.
    const std::string path =
        ::testing::TempDir() + "orvik_file_pieces_" + std::to_string(getpid()) + ".dat";
    {
      std::ofstream out(path, std::ios::binary);
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    for (std::size_t piece : {kPiece, kPieceBytes}) {
      TextCursor in{};
      ASSERT_TRUE(openFileCursor(path.c_str(), in, piece));
      std::string line;
      std::string read;
      bool longer = false;
      while (readLine(in, line, bytes.size() + 1, longer)) read += line + '\n';
      EXPECT_EQ(cursorOffset(in), static_cast<std::int64_t>(bytes.size()));
      EXPECT_EQ(in.readError, 0);
      closeCursor(in);
      std::string expected;
      std::istringstream lines(bytes);
      for (std::string l; std::getline(lines, l);) expected += l + '\n';
      EXPECT_TRUE(read == expected) << "pieces of " << piece;  // no diff of 300 kB
    }
    std::remove(path.c_str());
  }
  TextCursor folder{};
  ASSERT_TRUE(openFileCursor(::testing::TempDir().c_str(), folder));
  EXPECT_FALSE(skipMeshHeader(folder));
  EXPECT_NE(folder.readError, 0);
  closeCursor(folder);
}

// The table from the odd text equals the table from the same records written
// plainly: nothing but the values read decides what is stored.
class StreamEquivalenceTable : public SceneTest {};

std::string plainText(const Reading& r) {
  std::string text = kHeader;
  for (std::size_t i = 0; i < r.values.size(); i += 9) {
    const std::int32_t* v = &r.values[i];
    text += meshRecord(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
  }
  return text;
}

TEST_F(StreamEquivalenceTable, OddTextStoresWhatItsValuesSay) {
  const std::string odd =
      "x\r\ny\r\nz\r\n+3\t-1\v00002 -0 +4 \f5 6 \xff\xfe 2 -2147483648 , ; .\r\n"
      "2\n4294967296\n";
  static TableCopy fromOdd, fromPlain;
  readMeshText(odd);
  copyTable(fromOdd);
  clearScene();
  readMeshText(plainText(streamMesh(odd)));
  copyTable(fromPlain);
  EXPECT_TRUE(sameTable(fromOdd, fromPlain));
  EXPECT_TRUE(cellNamed[3]);
  EXPECT_EQ(walls[3].bottom, 1);  // wall field -2147483648
  EXPECT_FALSE(cellNamed[2]);     // its right neighbour overflows
}

}  // namespace
