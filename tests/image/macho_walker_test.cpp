// The Mach-O walker on images laid out in memory by the test: the buffer is
// the image as the loader would map it, file offset X at buffer + X.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "image/macho_walker.h"

namespace kvx::image {
namespace {

constexpr uint64_t kBaseVmaddr = 0x100000000;

class MachImage {
 public:
  MachImage() : bytes_(4096, 0) {}

  void segment(uint64_t fileoff, uint64_t filesize, uint32_t cmdsize = 72) {
    unsigned char* c = command(0x19, cmdsize);
    put64(c + 24, kBaseVmaddr + fileoff);
    put64(c + 40, fileoff);
    put64(c + 48, filesize);
  }
  void note(const char (&owner)[17], uint64_t offset, uint64_t size) {
    unsigned char* c = command(0x31, 40);
    memcpy(c + 8, owner, 16);
    put64(c + 24, offset);
    put64(c + 32, size);
  }
  // A command of any type and declared size, to damage the walk.
  unsigned char* command(uint32_t type, uint32_t cmdsize) {
    unsigned char* c = bytes_.data() + end_;
    put32(c, type);
    put32(c + 4, cmdsize);
    end_ += cmdsize < 8 ? 8 : cmdsize;
    ++count_;
    return c;
  }
  void write(uint64_t offset, const std::string& text) { memcpy(bytes_.data() + offset, text.data(), text.size()); }

  // The view as the loader would report it: slid so that vmaddr lands on the buffer.
  MachImageView view() {
    put32(bytes_.data(), kMachMagic64);
    put32(bytes_.data() + 16, count_);
    put32(bytes_.data() + 20, static_cast<uint32_t>(end_ - kMachHeaderSize));
    return MachImageView{bytes_.data(), bytes_.size(),
                         reinterpret_cast<uintptr_t>(bytes_.data()) - kBaseVmaddr};
  }
  const unsigned char* at(uint64_t offset) const { return bytes_.data() + offset; }

 private:
  static void put32(unsigned char* p, uint32_t v) { memcpy(p, &v, 4); }
  static void put64(unsigned char* p, uint64_t v) { memcpy(p, &v, 8); }
  std::vector<unsigned char> bytes_;
  uint64_t end_ = kMachHeaderSize;
  uint32_t count_ = 0;
};

constexpr char kOwner[17] = "com.kestrovel\0\0\0";

TEST(MachWalker, FindsTheNoteDataThroughTheSegmentOfAMovedImage) {
  MachImage image;
  image.segment(0, 1024);
  image.segment(1024, 3072);
  image.note(kOwner, 2000, 640);
  image.write(2000, std::string("\x05\x00\x00\x00hello", 9));
  const void* data = reinterpret_cast<const void*>(1);
  EXPECT_EQ(findMachConfigNote(image.view(), &data), 640);
  ASSERT_EQ(data, image.at(2000));
  EXPECT_EQ(std::string(static_cast<const char*>(data) + 4, 5), "hello");
}

TEST(MachWalker, UsesOnlyTheFirstNoteOfTheOwnerAndPassesOverOthers) {
  MachImage image;
  image.segment(0, 4096);
  image.note("org.other.owner\0", 100, 50);
  image.note(kOwner, 2000, 64);
  image.note(kOwner, 3000, 128);
  const void* data = nullptr;
  EXPECT_EQ(findMachConfigNote(image.view(), &data), 64);
  EXPECT_EQ(data, image.at(2000));
}

TEST(MachWalker, ComparesAllSixteenOwnerBytes) {
  for (const char* owner : {"com.kestrovel\0\0\1", "com.kestrovelX\0\0", "com.kestrove\0\0\0\0"}) {
    MachImage image;
    image.segment(0, 4096);
    char field[17] = {};
    memcpy(field, owner, 16);
    image.note(field, 2000, 64);
    const void* data = reinterpret_cast<const void*>(1);
    EXPECT_EQ(findMachConfigNote(image.view(), &data), 0) << owner;
    EXPECT_EQ(data, nullptr);
  }
}

TEST(MachWalker, DataOutsideEverySegmentGivesTheSizeWithoutAnAddress) {
  struct Case {
    const char* name;
    uint64_t offset, size;
    int expectedSize;
  } cases[] = {
      {"beyond every segment", 3000, 64, 64},
      {"straddling the segment's end", 2000, 100, 100},
      {"before the segment", 1000, 8, 8},
      // No range at all: the walk ends as on any damaged command.
      {"range that wraps around", UINT64_MAX - 10, 64, 0},
  };
  for (const Case& c : cases) {
    MachImage image;
    image.segment(1024, 1050);
    image.note(kOwner, c.offset, c.size);
    const void* data = nullptr;
    EXPECT_EQ(findMachConfigNote(image.view(), &data), c.expectedSize) << c.name;
    EXPECT_EQ(data, nullptr) << c.name;
  }
}

TEST(MachWalker, FileOffsetToPointerChecksRangesAndAppliesTheSlide) {
  MachImage image;
  image.segment(0, 1024);
  image.segment(1024, 1024);
  MachImageView view = image.view();
  EXPECT_EQ(fileOffsetToPointer(view, 1024, 1024), image.at(1024));
  EXPECT_EQ(fileOffsetToPointer(view, 1000, 24), image.at(1000));
  EXPECT_EQ(fileOffsetToPointer(view, 1000, 25), nullptr);  // spans two segments
  EXPECT_EQ(fileOffsetToPointer(view, 2048, 1), nullptr);
  EXPECT_EQ(fileOffsetToPointer(view, 1, UINT64_MAX), nullptr);
  view.slide += 0x1000;
  EXPECT_EQ(fileOffsetToPointer(view, 10, 1), image.at(10 + 0x1000));
}

TEST(MachWalker, DamagedLoadCommandsEndTheWalkWithoutAMatch) {
  {
    MachImage image;
    image.segment(0, 4096);
    image.command(0x2, 4);  // under 8 bytes: would loop or step backwards
    image.note(kOwner, 2000, 64);
    const void* data = nullptr;
    EXPECT_EQ(findMachConfigNote(image.view(), &data), 0);
  }
  {
    MachImage image;
    image.segment(0, 4096);
    image.note(kOwner, 2000, 64);
    MachImageView view = image.view();
    // The note runs past the declared end of the load commands.
    unsigned char* header = const_cast<unsigned char*>(view.header);
    uint32_t shortened = 72 + 20;
    memcpy(header + 20, &shortened, 4);
    const void* data = nullptr;
    EXPECT_EQ(findMachConfigNote(view, &data), 0);
    // And a readable size that cuts the commands off is respected too.
    shortened = 72 + 40;
    memcpy(header + 20, &shortened, 4);
    view.readableSize = kMachHeaderSize + 72 + 39;
    EXPECT_EQ(findMachConfigNote(view, &data), 0);
  }
  {
    MachImage image;
    image.command(0x31, 24);  // a note too short to hold its fields
    const void* data = nullptr;
    EXPECT_EQ(findMachConfigNote(image.view(), &data), 0);
  }
}

TEST(MachWalker, RefusesWhatIsNotAMachOImage) {
  unsigned char bytes[64] = {0x7f, 'E', 'L', 'F'};
  const void* data = reinterpret_cast<const void*>(1);
  EXPECT_EQ(findMachConfigNote(MachImageView{bytes, sizeof bytes, 0}, &data), 0);
  EXPECT_EQ(data, nullptr);
}

}  // namespace
}  // namespace kvx::image
