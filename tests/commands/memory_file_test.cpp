#include "commands/memory_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "commands/command_values.h"
#include "commands/file_table.h"
#include "engine/core/memory.h"

namespace vorenn {
namespace {

using Bytes = std::vector<uint8_t>;

class MemoryFileTest : public testing::Test {
 protected:
  void SetUp() override { file_ = OpenMemoryFile(); }
  void TearDown() override { CloseFile(file_); }

  void Put(std::string_view bytes) {
    ASSERT_TRUE(WriteBytes(file_, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())));
    ASSERT_TRUE(SeekToFileStart(file_));
  }
  int32_t Position() {
    int32_t length = GetFileLength(file_);
    int32_t rest = int32_t(ReadBytes(file_, length).size());
    SeekFile(file_, kSeekFromEnd, -rest);
    return length - rest;
  }

  FileNumber file_ = 0;
};

TEST_F(MemoryFileTest, ReadLineOverCrLfAndTerminators) {
  Put("ab\r\ncd");
  EXPECT_EQ(ReadLine(file_), "ab");
  EXPECT_EQ(ReadLine(file_), "cd");
  EXPECT_EQ(ReadLine(file_), "");
  EXPECT_TRUE(IsEndOfFile(file_));

  CloseFile(file_);
  file_ = OpenMemoryFile();
  Put(std::string("x\r\r\ny\n\nz", 8) + std::string(1, '\0') + "after");
  EXPECT_EQ(ReadLine(file_), "x\r");  // only the CR before the LF is removed
  EXPECT_EQ(ReadLine(file_), "y");
  EXPECT_EQ(ReadLine(file_), "");
  EXPECT_EQ(ReadLine(file_), "z");
  // The zero byte stays in the file: the next read meets it again.
  EXPECT_FALSE(IsEndOfFile(file_));
  EXPECT_TRUE(IsEndOfFile(file_, /*terminatorCheck=*/true));
  EXPECT_EQ(ReadLine(file_), "");
  EXPECT_EQ(Position(), 8);
}

TEST_F(MemoryFileTest, ReadLineKeepsDoubleByteCharactersAcrossChunks) {
  // A double-byte character whose trail byte is LF (not a real GBK trail, but the scan must not
  // look inside a character), straddling the 512-byte chunk boundary.
  std::string text(511, 'a');
  text += "\xB0\n";
  text += "b\nc";
  Put(text);
  EXPECT_EQ(ReadLine(file_), std::string(511, 'a') + "\xB0\nb");
  EXPECT_EQ(ReadLine(file_), "c");
}

TEST_F(MemoryFileTest, ReadLineTakesALeadByteAtTheEndOfTheFile) {
  Put("ab\xB0");
  EXPECT_EQ(ReadLine(file_), "ab\xB0");
  EXPECT_TRUE(IsEndOfFile(file_));
}

TEST_F(MemoryFileTest, RecordsRoundTripAndShortReadsRestoreThePosition) {
  const uint8_t raw[] = {1, 2, 3};
  void* bytes = MakeByteArrayBlock(raw);
  const RuntimeValue values[] = {MakeInt(-7), MakePointer(kTypeText, "hi"), MakePointer(kTypeBytes, bytes),
                                 MakeDouble(2.5), MakeBool(true), MakeLong(1LL << 40),
                                 RuntimeValue{0xAB, 0, kTypeByte}};
  ASSERT_TRUE(WriteData(file_, values));
  FreeBlock(bytes);
  EXPECT_EQ(GetFileLength(file_), 4 + 3 + 7 + 8 + 4 + 8 + 1);

  int32_t i = 0;
  char* text = nullptr;
  void* data = nullptr;
  double d = 0;
  int32_t flag = 0;
  int64_t l = 0;
  uint8_t b = 0;
  const RuntimeValue variables[] = {MakePointer(kTypeInt, &i), MakePointer(kTypeText, &text),
                                    MakePointer(kTypeBytes, &data), MakePointer(kTypeDouble, &d),
                                    MakePointer(kTypeBool, &flag), MakePointer(kTypeLong, &l),
                                    MakePointer(kTypeByte, &b)};
  ASSERT_TRUE(SeekToFileStart(file_));
  ASSERT_TRUE(ReadData(file_, variables));
  EXPECT_EQ(i, -7);
  EXPECT_STREQ(text, "hi");
  EXPECT_EQ(Bytes(BytesOfByteArrayBlock(data).begin(), BytesOfByteArrayBlock(data).end()), (Bytes{1, 2, 3}));
  EXPECT_EQ(d, 2.5);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(l, 1LL << 40);
  EXPECT_EQ(b, 0xAB);
  EXPECT_TRUE(IsEndOfFile(file_));

  // Run out of bytes in the middle of the second record: the position goes back to the start.
  ASSERT_TRUE(SeekFile(file_, kSeekFromStart, 4 + 3));
  int32_t count = 0;
  const RuntimeValue tooMany[] = {MakePointer(kTypeBytes, &data), MakePointer(kTypeDouble, &d),
                                  MakePointer(kTypeBool, &flag), MakePointer(kTypeLong, &l),
                                  MakePointer(kTypeInt, &count)};
  EXPECT_FALSE(ReadData(file_, tooMany));
  EXPECT_EQ(Position(), 7);
  // A kind that is not basic fails the same way.
  UnitRef unit{};
  const RuntimeValue object[] = {MakePointer(kTypeWindow, &unit)};
  EXPECT_FALSE(ReadData(file_, object));
  EXPECT_EQ(Position(), 7);
  FreeBlock(text);
  FreeBlock(data);
}

TEST_F(MemoryFileTest, RecordEdgeCases) {
  // A byte-array count larger than what is left fails without allocating it.
  const int32_t huge = 0x7FFFFFF0;
  Put(std::string_view(reinterpret_cast<const char*>(&huge), 4));
  void* data = nullptr;
  const RuntimeValue bytesVar[] = {MakePointer(kTypeBytes, &data)};
  EXPECT_FALSE(ReadData(file_, bytesVar));
  EXPECT_EQ(data, nullptr);

  // A text at the end of the file without its zero is what was there; nothing at all fails.
  CloseFile(file_);
  file_ = OpenMemoryFile();
  Put("tail");
  char* text = nullptr;
  const RuntimeValue textVar[] = {MakePointer(kTypeText, &text)};
  EXPECT_TRUE(ReadData(file_, textVar));
  EXPECT_STREQ(text, "tail");
  EXPECT_FALSE(ReadData(file_, textVar));
  FreeBlock(text);

  // Arrays: element memory as one block for numbers, one record each for texts.
  CloseFile(file_);
  file_ = OpenMemoryFile();
  int32_t numbers[] = {1, 3, 10, 20, 30};
  const RuntimeValue arrayValue[] = {MakePointer(kTypeInt | kArrayFlag, numbers)};
  ASSERT_TRUE(WriteData(file_, arrayValue));
  EXPECT_EQ(GetFileLength(file_), 12);
  int32_t target[] = {1, 3, 0, 0, 0};
  SeekToFileStart(file_);
  int32_t* targetPtr = target;
  const RuntimeValue arrayVar[] = {MakePointer(kTypeInt | kArrayFlag, &targetPtr)};
  ASSERT_TRUE(ReadData(file_, arrayVar));
  EXPECT_EQ(target[4], 30);
}

TEST_F(MemoryFileTest, WriteTextUsesTextFormsAndSkipsOtherKinds) {
  const RuntimeValue values[] = {MakePointer(kTypeText, "a="), MakeInt(5), MakeDouble(0.5),
                                 RuntimeValue{1, 2, kTypeWindow}, MakePointer(kTypeBytes, nullptr)};
  ASSERT_TRUE(WriteText(file_, values));
  ASSERT_TRUE(WriteText(file_, std::string_view("!")));
  SeekToFileStart(file_);
  Bytes all = ReadBytes(file_, 100);
  EXPECT_EQ(std::string(all.begin(), all.end()), "a=50.5!");
}

TEST_F(MemoryFileTest, SeekReadDeleteAndEnd) {
  EXPECT_TRUE(IsEndOfFile(file_));
  Put("0123456789");
  EXPECT_TRUE(SeekFile(file_, kSeekFromEnd, -1));
  EXPECT_EQ(ReadBytes(file_, 5), (Bytes{'9'}));
  EXPECT_TRUE(ReadBytes(file_, 5).empty());
  EXPECT_FALSE(SeekFile(file_, 4, 0));
  EXPECT_FALSE(SeekFile(file_, kSeekFromStart, -1));
  EXPECT_TRUE(SeekFile(file_, kSeekFromStart, 2));
  EXPECT_TRUE(SeekFile(file_, kSeekFromCurrent, 1));
  EXPECT_TRUE(DeleteData(file_, 4));
  EXPECT_EQ(GetFileLength(file_), 6);
  SeekToFileStart(file_);
  EXPECT_EQ(ReadBytes(file_, 0x7FFFFFFF), (Bytes{'0', '1', '2', '7', '8', '9'}));
  // Deleting past the end cuts at the position.
  SeekFile(file_, kSeekFromStart, 4);
  EXPECT_TRUE(DeleteData(file_, 100));
  EXPECT_EQ(GetFileLength(file_), 4);
  // Writing past the end fills the gap with zeros.
  SeekFile(file_, kSeekFromStart, 6);
  Put("x");
  EXPECT_EQ(ReadBytes(file_, 10), (Bytes{'0', '1', '2', '7', 0, 0, 'x'}));
}

TEST_F(MemoryFileTest, DeleteDataMovesLargeTails) {
  std::string text;
  for (int i = 0; i < 10000; ++i) text += char('a' + i % 26);
  Put(text);
  SeekFile(file_, kSeekFromStart, 100);
  ASSERT_TRUE(DeleteData(file_, 50));
  SeekToFileStart(file_);
  Bytes all = ReadBytes(file_, 20000);
  EXPECT_EQ(std::string(all.begin(), all.end()), text.substr(0, 100) + text.substr(150));
}

TEST(FileTable, UnknownNumbersGiveFailureValues) {
  const FileNumber gone = OpenMemoryFile();
  CloseFile(gone);
  CloseFile(gone);
  EXPECT_EQ(GetFileLength(gone), -1);
  EXPECT_TRUE(IsEndOfFile(gone));
  EXPECT_FALSE(SeekToFileStart(gone));
  EXPECT_FALSE(WriteData(gone, std::span<const RuntimeValue>()));
  EXPECT_FALSE(WriteText(gone, std::string_view("x")));
  EXPECT_FALSE(DeleteData(gone, 1));
  EXPECT_EQ(ReadLine(gone), "");
  EXPECT_TRUE(ReadBytes(gone, 4).empty());
  EXPECT_NE(OpenMemoryFile(), gone);  // numbers are not handed out again at once
}

// A file whose writes fail after a budget of bytes, to see the position restored.
class FailingFile final : public FileObject {
 public:
  explicit FailingFile(int64_t budget) : budget_(budget) {}
  int64_t Position() const override { return position_; }
  int64_t Length() const override { return length_; }
  int64_t Read(void*, int64_t) override { return -1; }
  bool Write(const void*, int64_t n) override {
    if (n > budget_) return false;
    budget_ -= n;
    position_ += n;
    length_ = std::max(length_, position_);
    return true;
  }
  bool SetPosition(int64_t p) override { return p >= 0 && (position_ = p, true); }
  bool SetLength(int64_t l) override { return l >= 0 && (length_ = l, true); }

 private:
  int64_t budget_, position_ = 0, length_ = 0;
};

TEST(FileTable, FailingWritesAndReadsRestoreThePosition) {
  FileNumber f = RegisterFile(std::make_unique<FailingFile>(6));
  const RuntimeValue values[] = {MakeInt(1), MakeInt(2)};
  EXPECT_FALSE(WriteData(f, values));
  EXPECT_EQ(FindFile(f)->Position(), 0);
  EXPECT_FALSE(WriteText(f, std::string_view("1234567")));
  EXPECT_EQ(FindFile(f)->Position(), 0);
  ASSERT_TRUE(WriteBytes(f, Bytes{1, 2}));
  ASSERT_TRUE(SeekToFileStart(f));
  EXPECT_TRUE(ReadBytes(f, 1).empty());
  EXPECT_EQ(FindFile(f)->Position(), FindFile(f)->Length());  // a failing read goes to the end
  CloseFile(f);
}

TEST(FileTable, HandsFilesFromThreadToThread) {
  std::vector<std::thread> threads;
  std::vector<FileNumber> numbers(8);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([t, &numbers] {
      for (int k = 0; k < 200; ++k) {
        FileNumber f = OpenMemoryFile();
        const RuntimeValue v[] = {MakeInt(t * 1000 + k)};
        WriteData(f, v);
        if (k < 199) CloseFile(f);
        else numbers[size_t(t)] = f;
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < 8; ++t) {
    int32_t value = 0;
    const RuntimeValue var[] = {MakePointer(kTypeInt, &value)};
    SeekToFileStart(numbers[size_t(t)]);
    EXPECT_TRUE(ReadData(numbers[size_t(t)], var));
    EXPECT_EQ(value, t * 1000 + 199);
    CloseFile(numbers[size_t(t)]);
  }
}

}  // namespace
}  // namespace vorenn
