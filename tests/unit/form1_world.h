// The handlers against the fakes: a small world of drives and folders, the form loaded in it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/form1.h"
#include "fakes.h"

namespace kavren {

using Texts = std::vector<std::wstring>;
// What the window shows (path box, selected drive, directory list names) and the list's own path.
using State = std::tuple<std::wstring, std::wstring, Texts, std::wstring>;

struct World {
    World() {
        platform.tree = {{L"C:\\", {L"Work"}}, {L"C:\\Work", {L"Game Data", L"Other"}},
                         {L"C:\\Work\\Game Data", {}}, {L"D:\\Old", {L"x"}}};
        platform.driveCurrent = {{L"D:", L"D:\\Old"}, {L"F:", L"F:\\"}};
    }
    testing::FakePlatform platform;
    testing::FakeView view;
    Form1 form{platform, view};
};

class Form1Test : public ::testing::Test, protected World {
protected:
    void SetUp() override { ASSERT_TRUE(form.Form_Load()); }
    State state() { return {view.path, view.drive, view.shown, form.dirb().path()}; }
};

}  // namespace kavren
