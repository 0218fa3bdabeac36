// The inside of the DXF reader (dxf_read.cpp): the checks that keep a
// malformed entity away from dxflib, and the adapter that turns dxflib's
// callbacks into figures. Not for other callers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <dxflib/dl_creationadapter.h>

#include "dxf_read.h"

// What the group loop has seen of the entity being read, for checkGroup.
struct EntityChecks {
  std::int64_t declared[3] = {-1, -1, -1};  // the counts announced, by rule; -1 before
  std::int64_t started[3] = {0, 0, 0};      // items begun, by rule
};

// True when group `code` with `value` may be handed to dxflib within an
// entity of `type`: dxflib sizes arrays by an entity's announced counts and
// indexes them by the items that follow, so a count must be in range and
// come before its items, and no more items may follow than it announced.
// Otherwise false with `problem` said.
bool checkGroup(const std::string& type, int code, const std::string& value, EntityChecks& checks,
                std::string& problem);

// dxflib delivers entities through an object of its interface class; this
// one forwards them, as figures, to the sink. One entity is assembled at a
// time (a polyline's vertices, a hatch's paths) and handed on when it is
// whole.
class EntityAdapter : public DL_CreationAdapter {
 public:
  EntityAdapter(const DxfSink& sink, DxfHeader& header) : sink_(sink), header_(header) {}

  // Before dxflib dispatches the entity that `info` describes; `drawn` when
  // it stands in the ENTITIES or BLOCKS section.
  void dispatching(const DxfEntityInfo& info, bool drawn);
  // After it, when the next entity is of type `nextType`.
  void dispatched(const std::string& nextType);
  // At the end of the file: hands on what is still being assembled.
  void finish();
  // The block being defined; empty at the top level.
  const std::string& blockName() const { return block_; }

  void setVariableInt(const std::string& key, int value, int code) override;
  void setVariableString(const std::string& key, const std::string& value, int code) override;
  void addBlock(const DL_BlockData& data) override;
  void endBlock() override;
  void addPoint(const DL_PointData& data) override;
  void addLine(const DL_LineData& data) override;
  void addArc(const DL_ArcData& data) override;
  void addCircle(const DL_CircleData& data) override;
  void addEllipse(const DL_EllipseData& data) override;
  void addPolyline(const DL_PolylineData& data) override;
  void addVertex(const DL_VertexData& data) override;
  void addSpline(const DL_SplineData& data) override;
  void addControlPoint(const DL_ControlPointData& data) override;
  void addFitPoint(const DL_FitPointData& data) override;
  void addInsert(const DL_InsertData& data) override;
  void addSolid(const DL_SolidData& data) override;
  void addTrace(const DL_TraceData& data) override;
  void addHatch(const DL_HatchData& data) override;
  void addHatchLoop(const DL_HatchLoopData& data) override;
  void addHatchEdge(const DL_HatchEdgeData& data) override;
  void endSequence() override;

 private:
  // False (and the entity reported as skipped) when it is not in the plan.
  bool inPlan();
  // The object frame's map into the world frame: mirrored in x for an
  // extrusion of -Z; false for any extrusion not along Z.
  bool objectFrame(bool& mirrored);
  void emit(const DxfEntityInfo& info, const Figure& figure);
  void flushPending();
  void addQuad(const double* x, const double* y);

  const DxfSink& sink_;
  DxfHeader& header_;
  DxfEntityInfo info_;      // the entity being dispatched
  bool skippedNow_ = false;  // info_ gives no geometry (reported when it is an entity)
  std::string block_;       // the block being defined
  // The entity being assembled from several callbacks.
  DxfEntityInfo pendingInfo_;
  Figure pending_;
  bool pendingMirrored_ = false;
  bool hasPending_ = false;
  std::vector<Vec2> splineControl_, splineFit_;
  bool pendingSpline_ = false;
};
