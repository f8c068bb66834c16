// Classification: colouring or symbolising a layer's shapes by the values of
// one field, as plain code over the store. The classify window and the
// script's `classify` drive a ClassifySession.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/layer_store.h"
#include "core/ui.h"

namespace zemba {

enum class ClassStyleMode { Symbol = 0, Color = 1, Both = 2 };

// "Classify the POP Integer attributes of world.shp"
std::string ClassifyCaption(const LayerStore& store, int layer, int field);

// N + 1 colours running steadily from `start` (element 1) toward white;
// element 0 repeats the start. Each channel steps by (255 - c) div N.
std::vector<COLORREF> ColorRamp(COLORREF start, int n);

// Result of "Set Values".
struct SetValuesResult {
    bool Ok = false;
    std::vector<std::string> Values;  // class k is Values[k]
    std::vector<int> Counts;          // shapes per value
    int Skipped = 0;                  // shapes of a numeric field without a number
    std::string Notice;               // shown to the user when not empty
};

// Result of "Set Classes".
struct SetClassesResult {
    bool Ok = false;
    std::string Error;            // "Not a Numeric Field"
    std::vector<double> Breaks;   // N + 1: [0] the minimum, [j] the top of class j
    std::vector<int> Counts;      // N + 1: [j] shapes in class j
    std::vector<std::string> Labels;  // the class list: "12 - 345 (7)" per class
    int Skipped = 0;
    std::string Notice;
};

// Styles of one layer as they were before a classification changed them.
struct StyleSnapshot {
    int Layer = 0;
    std::int32_t Visible = 1;
    std::int32_t NumClasses = 5;
    std::vector<double> ClassBreaks;
    std::vector<SymObj> SymObjs;
};
StyleSnapshot TakeStyleSnapshot(const LayerStore& store, int layer);
void RestoreStyleSnapshot(LayerStore& store, const StyleSnapshot& snap);

// Set Values on `field` of `layer`: each distinct value its own palette
// colour and/or symbol (a map from value to class, so unique-ID fields stay
// fast). Values of a numeric field that are not numbers stay unclassed.
SetValuesResult SetValues(LayerStore& store, int layer, int field, ClassStyleMode mode, Progress& progress);

// Set Classes: N classes by equal intervals or by quantiles, styled with
// `ramp` (N + 1 colours). Values above the last break fall into class N;
// shapes without a number stay unclassed and are counted.
SetClassesResult SetClasses(LayerStore& store, int layer, int field, int n, ClassStyleMode mode,
                            const std::vector<COLORREF>& ramp, bool quantiles, Progress& progress);

// The state of the classify window: the chosen layer and field, the flags,
// the ramp and the styles to restore.
class ClassifySession {
public:
    explicit ClassifySession(LayerStore& store) : store_(store) {}

    // Opening: class layer := CurrentLayer, its first field.
    void Init(COLORREF startColor);
    void SetLayer(int layer);  // first field of the layer
    void SetField(int field);
    int Layer() const { return layer_; }
    int Field() const { return field_; }
    std::string Caption() const { return ClassifyCaption(store_, layer_, field_); }

    ClassStyleMode Mode = ClassStyleMode::Color;
    bool Quantiles = false;
    int NumClasses() const { return n_; }
    void SetNumClasses(int n);  // 5, 7, 9 or 11; recomputes the ramp
    COLORREF StartColor() const { return start_; }
    void SetStartColor(COLORREF c);  // recomputes the ramp
    // "Click to Invert": the ramp runs the other way (and back again).
    void InvertRamp();
    bool Inverted() const { return inverted_; }
    const std::vector<COLORREF>& Ramp() const { return ramp_; }
    COLORREF RampStart() const { return ramp_.size() > 1 ? ramp_[1] : start_; }
    COLORREF RampFinish() const { return ramp_.empty() ? start_ : ramp_.back(); }

    SetValuesResult DoSetValues(Progress& progress);
    SetClassesResult DoSetClasses(Progress& progress);
    bool ValuesComputed() const { return values_; }
    bool ClassesComputed() const { return classes_; }
    bool ApplyEnabled() const { return (values_ || classes_) && !restored_; }

    // "Apply": object styles on (3 classes, 2 values, 1 after a restore).
    // Returns true when Visible changed and the view should be redrawn.
    bool Apply();
    // "Cancel" (Restore): the styles as they were before this session
    // changed them. Returns true when something was restored.
    bool Cancel();

private:
    void Clear();
    void RecomputeRamp();
    void Snapshot();

    LayerStore& store_;
    int layer_ = 0;
    int field_ = 0;
    int n_ = 5;
    COLORREF start_ = 0x00FF00;
    bool inverted_ = false;
    std::vector<COLORREF> ramp_;
    bool values_ = false, classes_ = false, restored_ = false;
    // Styles of each layer as they were before this opening first changed them.
    std::map<int, StyleSnapshot> snapshots_;
};

}  // namespace zemba
