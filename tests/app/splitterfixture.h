#pragma once
// A configuration window's splitter (tree and list) over a new document,
// shown offscreen, with a private settings store and scripted answers.

#include "common/settings.h"
#include "configdoc/configsplitter.h"
#include "configdoc/corvanedoc.h"
#include "device/connection.h"
#include "support/fakeinteraction.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace corvane::app {

class SplitterFixture : public ::testing::Test {
protected:
    QTemporaryDir dir;
    Settings settings{dir.filePath(QStringLiteral("corvane.ini")).toStdString()};
    testing::FakeInteraction ui;
    ControllerLink link{settings, ui};
    CCorvaneDoc doc;
    std::unique_ptr<CConfigSplitter> splitter;

    void SetUp() override
    {
        splitter = std::make_unique<CConfigSplitter>(doc, link, settings, ui);
        splitter->resize(760, 480);
        splitter->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(splitter.get()));
    }

    CParamListView& list() { return *splitter->list(); }
};

} // namespace corvane::app
