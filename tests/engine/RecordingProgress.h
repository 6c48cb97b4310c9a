#pragma once

#include "engine/progress/ProgressIndicator.h"

#include <string>
#include <vector>

// A progress indicator that remembers every call, in order.
class RecordingProgress : public rm::ProgressIndicator {
public:
    void setMaximum(float value) override { maximum = value; calls.push_back("max " + text(value)); }
    void setMinimum(float value) override { minimum = value; calls.push_back("min " + text(value)); }
    float value() const override { return current; }
    void setValue(float value) override
    {
        current = value;
        ++valueWrites;
        if (calls.size() < 8)
            calls.push_back("value " + text(value));
    }

    float maximum = -1;
    float minimum = -1;
    float current = -1;
    long valueWrites = 0;
    std::vector<std::string> calls; // the first few only

private:
    static std::string text(float value) { return std::to_string(static_cast<long long>(value)); }
};
