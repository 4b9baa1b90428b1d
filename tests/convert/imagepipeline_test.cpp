#include "convert/imagepipeline.h"

#include <gtest/gtest.h>

TEST(ImagePipeline, Placeholder)
{
}
