// The parameterless effects of the menu, keyed by their items' group numbers.
#pragma once

class TFvDIB;

using TEffectOperation = void (*)(TFvDIB& Image);

// The operation of a group; null for a group that has none.
TEffectOperation EffectOfGroup(int GroupIndex);
