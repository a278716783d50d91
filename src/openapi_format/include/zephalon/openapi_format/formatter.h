#pragma once

#include <iosfwd>
#include <string>

#include "zephalon/jv/file_io.h"
#include "zephalon/jv/jv.h"
#include "zephalon/jv/property_factory.h"
#include "zephalon/openapi_format/configuration.h"

namespace zephalon::openapi_format {

// Writes documents in the layout of a Configuration. Only the serialisation changes, never the content.
class Formatter {
  public:
    // Reads a `format` configuration section; an absent section keeps the defaults (indent 2, source order, the
    // input's own format).
    void setConfig(const jv::JV* section);
    // The settings used without a configuration file.
    void setDefaultConfig() { config_.reset(); }
    const Configuration& config() const { return config_; }

    // The key order of every object of `doc`, by the kind of OpenAPI object it is, for writers that are handed one
    // object at a time (the kind is then derived from the object's pointer; `process` carries kinds down instead).
    // Refers to `doc` and to this formatter, which must outlive it.
    jv::PropertyFactory propertyFactory(const jv::JVDoc& doc) const;

    void process(const jv::JVDoc& doc, std::ostream& out, FileFormat format) const;
    std::string process(const jv::JVDoc& doc, FileFormat format) const;

  private:
    Configuration config_;
};

}  // namespace zephalon::openapi_format
