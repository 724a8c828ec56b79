// Fixture that runs a test under de_DE.UTF-8, whose decimal point is a comma,
// as Qt's application object would set it from the environment, inside its
// own working directory. The locale the process had is back afterwards.
// A missing locale fails the test instead of letting it pass in "C":
// scripts/install-deps.sh generates it.
#pragma once

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "tests/support/test_dir.h"

class decimal_comma : public in_test_dir {
protected:
    void SetUp() override {
        old_ = std::setlocale(LC_ALL, nullptr);
        ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
            << "the locale de_DE.UTF-8 is missing: run scripts/install-deps.sh";
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }
    void TearDown() override { std::setlocale(LC_ALL, old_.c_str()); }

private:
    std::string old_;
};
