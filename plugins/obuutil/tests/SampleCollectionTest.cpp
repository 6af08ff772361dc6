// The sample documentation set as shipped: its configuration finds the disclaimer, and its
// collection's model names the collection the configuration lists.

#include "Disclaimer.h"
#include "ModelLauncher.h"
#include "profile/ProfileReader.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {
const std::string kDocs = MB_EXAMPLES_DIR "/docs";
}

TEST(SampleCollection, ConfigurationFindsAReadableDisclaimer)
{
    const obuutil::DisclaimerLocation location = obuutil::LocateDisclaimer(kDocs + "/corvelle.ini");
    ASSERT_FALSE(location.notice);
    EXPECT_TRUE(fs::equivalent(fs::path(location.path).parent_path(), kDocs));
    const obuutil::DisclaimerText text = obuutil::ReadDisclaimer(location.path);
    EXPECT_FALSE(text.notice);
    EXPECT_FALSE(text.text.empty());
}

TEST(SampleCollection, ModelNamesTheCollectionOfTheConfiguration)
{
    if (!fs::is_directory(kDocs + "/psd/model"))
        GTEST_SKIP() << "the sample collection has no model folder";
    // "psd=<alias>" in the collection table.
    const std::string table =
        platform::GetProfileString(kDocs + "/corvelle.ini", "zelio", "COLLECTION", "", 4096);
    const std::size_t start = table.find("psd=");
    ASSERT_NE(start, std::string::npos) << table;
    const std::string alias = table.substr(start + 4, table.find(';', start) - start - 4);
    const std::vector<obuutil::ModelEntry> models = obuutil::ListModels(kDocs + "/psd");
    EXPECT_NE(obuutil::FindModelForCollection(models, alias), nullptr) << alias;
}
