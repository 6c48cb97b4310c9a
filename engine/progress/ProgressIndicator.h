#pragma once

namespace rm {

// The progress indicator the summation drives: three single-precision values.
class ProgressIndicator {
public:
    virtual ~ProgressIndicator() = default;
    virtual void setMaximum(float value) = 0;
    virtual void setMinimum(float value) = 0;
    virtual float value() const = 0;
    virtual void setValue(float value) = 0;
};

} // namespace rm
