// The field model as the grid walk sees it at one node: first the cap pole is set, then
// (after the driver's nudges) the field elements are evaluated. The program uses
// CapModel, the cap harmonic chain; tests of the walk may put a stand-in in its place.
#pragma once

#include "cap_basis.hpp"
#include "elmerr.hpp"
#include "epoch_row.hpp"

namespace ormeda {

class NodeModel {
public:
    virtual ~NodeModel() = default;
    // Sets the pole of the cap frame (degrees); called at every node before the nudges.
    virtual void setCapPole(double poleLat, double poleLon) = 0;
    // The field elements at geodetic lat, lon (degrees, height 0, after the nudges).
    virtual void evaluate(const DegreeTable& degrees, double lat, double lon, const EpochRow& row,
                          FieldElements& out) = 0;
};

// CAPSET, then CAPBAS and ELMERR on the same node's frames.
class CapModel final : public NodeModel {
public:
    void setCapPole(double poleLat, double poleLon) override {
        frames_.cap.CAPSET(poleLat, poleLon);
    }
    void evaluate(const DegreeTable& degrees, double lat, double lon, const EpochRow& row,
                  FieldElements& out) override {
        CAPBAS(frames_, degrees, lat, lon, basis_);
        ELMERR(frames_, basis_, row, lat, out);
    }

private:
    NodeFrames frames_;
    CapBasis basis_;
};

} // namespace ormeda
