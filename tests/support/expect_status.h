// Checks of a kes::Status that show the reason when they fail.
#pragma once

#include <gtest/gtest.h>

#include "model/status.h"

#define KES_STATUS_CHECK_(check, expr)                                                                  \
    do {                                                                                                \
        const ::kes::Status kes_status_ = (expr);                                                       \
        check(kes_status_.ok()) << #expr << ": " << kes_status_.reason();                               \
    } while (false)

// Expects (or asserts) that `expr` gives a success.
#define EXPECT_OK(expr) KES_STATUS_CHECK_(EXPECT_TRUE, expr)
#define ASSERT_OK(expr) KES_STATUS_CHECK_(ASSERT_TRUE, expr)
