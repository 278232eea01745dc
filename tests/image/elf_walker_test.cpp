// The ELF walker on images laid out by the test: program headers describe a
// buffer that stands for the mapped executable, file offset X at buffer + X.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "image/config_note.h"
#include "image/elf_walker.h"

namespace kvx::image {
namespace {

class ElfImage {
 public:
  explicit ElfImage(uint64_t linkAddress = 0x400000) : memory_(8192, 0), linkAddress_(linkAddress) {}

  void segment(uint32_t type, uint64_t offset, uint64_t filesz, uint64_t align = 4) {
    unsigned char entry[kElfProgramHeaderSize] = {};
    memcpy(entry, &type, 4);
    memcpy(entry + 8, &offset, 8);
    const uint64_t vaddr = linkAddress_ + offset;
    memcpy(entry + 16, &vaddr, 8);
    memcpy(entry + 32, &filesz, 8);
    memcpy(entry + 40, &filesz, 8);
    memcpy(entry + 48, &align, 8);
    headers_.insert(headers_.end(), entry, entry + sizeof entry);
  }
  // Writes a note at offset with the owner field given whole; returns the data's offset.
  uint64_t note(uint64_t offset, uint32_t namesz, const std::string& nameField, uint32_t type,
                const std::string& desc, uint32_t descsz = UINT32_MAX) {
    const uint32_t size = descsz == UINT32_MAX ? static_cast<uint32_t>(desc.size()) : descsz;
    memcpy(&memory_[offset], &namesz, 4);
    memcpy(&memory_[offset + 4], &size, 4);
    memcpy(&memory_[offset + 8], &type, 4);
    memcpy(&memory_[offset + 12], nameField.data(), nameField.size());
    memcpy(&memory_[offset + 12 + nameField.size()], desc.data(), desc.size());
    return offset + 12 + nameField.size();
  }

  ElfImageView view() const {
    ElfImageView view;
    view.programHeaders = headers_.data();
    view.programHeaderCount = headers_.size() / kElfProgramHeaderSize;
    view.loadBias = reinterpret_cast<uintptr_t>(memory_.data()) - linkAddress_;
    view.readableBegin = reinterpret_cast<uintptr_t>(memory_.data());
    view.readableEnd = view.readableBegin + memory_.size();
    return view;
  }
  const unsigned char* at(uint64_t offset) const { return memory_.data() + offset; }

 private:
  std::vector<unsigned char> memory_;
  std::vector<unsigned char> headers_;
  uint64_t linkAddress_;
};

const std::string kOwnerField("com.kestrovel\0\0\0", 16);
const std::string kPlaceholderField("kvx.slot.free\0\0\0", 16);
const std::string kData("\x03\x00\x00\x00" "abc", 7);

TEST(ElfWalker, FindsTheConfigurationNoteAfterOthersWhereverTheImageWasLoaded) {
  for (uint64_t linkAddress : {0x0ull, 0x400000ull, 0x7f0000000000ull}) {
    ElfImage image(linkAddress);
    image.segment(kElfLoadSegment, 0, 8192);
    image.segment(kElfNoteSegment, 256, 1024);
    image.note(256, 4, std::string("GNU\0", 4), 3, std::string(20, 'x'));
    image.note(292, kPlaceholderOwnerSize, kPlaceholderField, kConfigNoteType, "zzzz");
    const uint64_t data = image.note(324, kOwnerSize, kOwnerField, kConfigNoteType, kData);
    const void* found = nullptr;
    EXPECT_EQ(findElfConfigNote(image.view(), &found), 7) << linkAddress;
    ASSERT_EQ(found, image.at(data)) << linkAddress;
    EXPECT_EQ(std::string(static_cast<const char*>(found) + 4, 3), "abc");
  }
}

TEST(ElfWalker, PassesOverNotesThatAreNotOurs) {
  struct Case {
    const char* name;
    uint32_t namesz;
    std::string field;
    uint32_t type;
  } cases[] = {
      {"placeholder owner", kPlaceholderOwnerSize, kPlaceholderField, kConfigNoteType},
      {"other note type", kOwnerSize, kOwnerField, 1},
      {"owner with other padding", kOwnerSize, std::string("com.kestrovel\0\0\1", 16), kConfigNoteType},
      {"owner field of another width", 17, kOwnerField + std::string(4, '\0'), kConfigNoteType},
  };
  for (const Case& c : cases) {
    ElfImage image;
    image.segment(kElfLoadSegment, 0, 8192);
    image.segment(kElfNoteSegment, 256, 512);
    image.note(256, c.namesz, c.field, c.type, kData);
    const void* found = reinterpret_cast<const void*>(1);
    EXPECT_EQ(findElfConfigNote(image.view(), &found), 0) << c.name;
    EXPECT_EQ(found, nullptr) << c.name;
  }
}

TEST(ElfWalker, NotesInEightByteAlignedSegmentsArePaddedToEight) {
  ElfImage image;
  image.segment(kElfLoadSegment, 0, 8192);
  image.segment(kElfNoteSegment, 256, 512, 8);
  // "GNU\0" ends at 16, where the data starts; the data's 12 bytes end at 28 and pad to 32.
  image.note(256, 4, std::string("GNU\0", 4), 5, std::string(12, 'p'));
  // Our 14-byte name ends at 12 + 14 = 26, padded to 32: a 20-byte field.
  const uint64_t data = image.note(256 + 32, kOwnerSize, kOwnerField + std::string(4, '\0'),
                                   kConfigNoteType, kData);
  const void* found = nullptr;
  EXPECT_EQ(findElfConfigNote(image.view(), &found), 7);
  EXPECT_EQ(found, image.at(data));
}

TEST(ElfWalker, DamagedOrUnmappedNotesAreNotRead) {
  {  // The note segment lies outside the loadable segment's file bytes.
    ElfImage image;
    image.segment(kElfLoadSegment, 0, 300);
    image.segment(kElfNoteSegment, 256, 512);
    image.note(256, kOwnerSize, kOwnerField, kConfigNoteType, kData);
    const void* found = nullptr;
    EXPECT_EQ(findElfConfigNote(image.view(), &found), 0);
  }
  {  // The data length runs past the segment, even wrapping around.
    for (uint32_t descsz : {600u, UINT32_MAX - 2}) {
      ElfImage image;
      image.segment(kElfLoadSegment, 0, 8192);
      image.segment(kElfNoteSegment, 256, 512);
      image.note(256, kOwnerSize, kOwnerField, kConfigNoteType, kData, descsz);
      const void* found = nullptr;
      EXPECT_EQ(findElfConfigNote(image.view(), &found), 0) << descsz;
    }
  }
  {  // A loadable segment that claims more than is mapped.
    ElfImage image;
    image.segment(kElfLoadSegment, 0, 1 << 20);
    image.segment(kElfNoteSegment, 4096, 1 << 19);
    const void* found = nullptr;
    EXPECT_EQ(findElfConfigNote(image.view(), &found), 0);
  }
}

}  // namespace
}  // namespace kvx::image
