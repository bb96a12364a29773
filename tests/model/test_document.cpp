// Document state: open and save keep the data directory, name and modified flag right.
#include <gtest/gtest.h>

#include "model/document.h"
#include "test_support.h"

using namespace keltora;

TEST(Document, OpenSaveAndFailedOpenKeepState)
{
    test::TempDir dir;
    Document doc(dir.path());
    EXPECT_EQ(doc.model().modified, -1);
    EXPECT_TRUE(doc.dataPath().empty());

    ReadResult r = doc.open(test::examplesDir() / "embankment.SDW");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(doc.model().dataName, "embankment");
    EXPECT_EQ(doc.dataDirectory(), test::examplesDir());
    EXPECT_EQ(doc.model().modified, 0);
    EXPECT_TRUE(doc.save().ok); // unmodified: nothing is written

    ASSERT_TRUE(doc.saveAs(dir / "copy.SDW").ok);
    EXPECT_EQ(doc.model().dataName, "copy");
    EXPECT_EQ(doc.dataPath(), dir / "copy.SDW");
    doc.model().title = "changed";
    doc.model().modified = 1;
    ASSERT_TRUE(doc.save().ok);
    EXPECT_EQ(doc.model().modified, 0);

    // A failed open leaves everything as it was.
    ReadResult missing = doc.open(dir / "nothing.SDW");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(doc.model().title, "changed");
    EXPECT_EQ(doc.dataDirectory(), dir.path());

    doc.reset();
    EXPECT_EQ(doc.model().modified, -1);
    doc.model().modified = 1;
    EXPECT_FALSE(doc.save().ok); // untitled: needs a name
}
