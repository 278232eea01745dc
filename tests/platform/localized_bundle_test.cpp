#include "platform/localized_bundle.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

namespace kvx::platform {
namespace {

using test::ScopedEnv;
using test::writeFile;

using Env = std::vector<std::pair<const char*, std::optional<std::string>>>;

// Sets the four locale variables as given and unsets the others.
class LocaleEnv {
 public:
  explicit LocaleEnv(const Env& values) {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
      std::optional<std::string> value;
      for (const auto& [n, v] : values) {
        if (std::string_view(n) == name) value = v;
      }
      scopes_.push_back(std::make_unique<ScopedEnv>(name, value));
    }
  }

 private:
  std::vector<std::unique_ptr<ScopedEnv>> scopes_;
};

TEST(PreferredLanguages, FollowTheLocaleVariablesInTheirPrecedence) {
  const struct {
    Env env;
    std::vector<std::string> expected;
  } cases[] = {
      {{{"LANG", "de_CH.UTF-8"}}, {"de_CH", "de"}},
      {{{"LANGUAGE", "fr:de_AT"}, {"LANG", "en_US.UTF-8"}}, {"fr", "de_AT", "de", "en_US", "en"}},
      {{{"LC_ALL", "de_DE.UTF-8"}, {"LC_MESSAGES", "fr_FR"}, {"LANG", "it_IT"}}, {"de_DE", "de"}},
      {{{"LC_MESSAGES", "fr_FR"}, {"LANG", "it_IT"}}, {"fr_FR", "fr"}},
      {{{"LC_ALL", ""}, {"LANG", "sr_RS@latin"}}, {"sr_RS", "sr"}},
      {{{"LANG", "C.UTF-8"}}, {}},
      {{{"LANG", "POSIX"}}, {}},
      {{}, {}},
  };
  for (const auto& c : cases) {
    LocaleEnv env(c.env);
    EXPECT_EQ(preferredLanguages(), c.expected) << testing::PrintToString(c.expected);
  }
}

class LocalizedBundleTest : public testing::Test {
 protected:
  void SetUp() override {
    writeFile(bundle_ / "Contents/Info.plist",
              "<plist version=\"1.0\"><dict><key>CFBundleDevelopmentRegion</key>"
              "<string>fr</string></dict></plist>");
    writeFile(bundle_ / "Contents/Resources/en.lproj/Localizable.strings",
              "\"greeting\" = \"Hello\"; \"only.en\" = \"English only\";");
    writeFile(bundle_ / "Contents/Resources/de.lproj/Localizable.strings", "\"greeting\" = \"Hallo\";");
    writeFile(bundle_ / "Contents/Resources/fr.lproj/Localizable.strings",
              "\"greeting\" = \"Bonjour\"; \"only.fr\" = \"Fran\u00e7ais\";");
    // A broken table holds nothing; the next language still answers.
    writeFile(bundle_ / "Contents/Resources/it.lproj/Localizable.strings", "\"greeting\" = ");
  }

  std::string lookup(const Env& env, const std::string& key) {
    LocaleEnv scoped(env);
    std::optional<LocalizedBundle> bundle = LocalizedBundle::open(bundle_.path());
    EXPECT_TRUE(bundle);
    return bundle ? bundle->localizedString(key) : "<no bundle>";
  }

  test::TempDir bundle_;
};

TEST_F(LocalizedBundleTest, TakesTheTextOfTheFirstLanguageThatHasIt) {
  const struct {
    Env env;
    const char* key;
    const char* expected;
  } cases[] = {
      {{{"LANG", "de_CH.UTF-8"}}, "greeting", "Hallo"},
      {{{"LANG", "de_CH.UTF-8"}}, "only.fr", "Fran\u00e7ais"},  // the development region
      {{{"LANG", "de_CH.UTF-8"}}, "only.en", "English only"},
      {{{"LANG", "it_IT.UTF-8"}}, "greeting", "Bonjour"},
      {{{"LANGUAGE", "en"}, {"LANG", "de_DE"}}, "greeting", "Hello"},
      {{}, "greeting", "Bonjour"},
      {{}, "no.such.key", "no.such.key"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lookup(c.env, c.key), c.expected) << c.key << " " << testing::PrintToString(c.env.size());
  }
}

TEST(LocalizedBundle, ReadsTablesAtTheBundlesTopAndFallsBackToEnglish) {
  test::TempDir bundle;
  writeFile(bundle / "en.lproj/Localizable.strings", "\"k\" = \"flat\";");
  LocaleEnv env(Env{{"LANG", "ja_JP.UTF-8"}});
  std::optional<LocalizedBundle> opened = LocalizedBundle::open(bundle.path());
  ASSERT_TRUE(opened);
  EXPECT_EQ(opened->searchOrder(), (std::vector<std::string>{"ja_JP", "ja", "en"}));
  EXPECT_EQ(opened->localizedString("k"), "flat");
}

TEST(LocalizedBundle, IsAbsentWithoutADirectory) {
  test::TempDir dir;
  writeFile(dir / "file", "");
  EXPECT_FALSE(LocalizedBundle::open(dir / "missing.bundle"));
  EXPECT_FALSE(LocalizedBundle::open(dir / "file"));
}

}  // namespace
}  // namespace kvx::platform
