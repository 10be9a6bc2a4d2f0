// The simulator's default descriptor, and the sizes asked for applied over a stored one.
#include "sim/sim_options.h"

ControllerInfo DescriptorOverrides::Apply(ControllerInfo base) const
{
    if (generalParamSize)
        base.setGeneralParamSize(*generalParamSize);
    if (axisParamSize)
        base.setAxisParamSize(*axisParamSize);
    if (axisCount)
        base.setAxisCount(*axisCount);
    if (frameSize)
        base.setFrameSize(*frameSize);
    return base;
}

ControllerInfo DefaultDescriptor()
{
    ControllerInfo info; // reserved bytes 0
    info.setGeneralParamSize(DEFAULT_GENERAL_PARAM_SIZE);
    info.setAxisParamSize(DEFAULT_AXIS_PARAM_SIZE);
    info.setAxisCount(DEFAULT_AXIS_COUNT);
    info.setFrameSize(DEFAULT_FRAME_SIZE);
    return info;
}
