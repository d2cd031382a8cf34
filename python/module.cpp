// orvo._orvo: the C API's conversion for the Python package orvo. The
// package (python/orvo/__init__.py) turns keyword arguments, mappings and
// files into what this module takes; this module holds the Python objects
// the conversion reads, lets go of the interpreter while it runs (and takes
// it back as lock_handoff.h says), and turns its result into Python objects.
#include <pybind11/pybind11.h>

#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "lock_handoff.h"
#include "orvo/orvo.h"

namespace py = pybind11;

namespace {

// The bytes of a bytes-like object, exported for as long as this lives: the
// object can be neither freed nor resized (a bytearray refuses to grow, an
// mmap to close) while a conversion reads them without the interpreter's
// lock. Made and destroyed with the lock held.
class HeldBytes {
 public:
  explicit HeldBytes(py::handle object) {
    if (PyObject_GetBuffer(object.ptr(), &view_, PyBUF_SIMPLE) != 0) throw py::error_already_set();
  }
  ~HeldBytes() { PyBuffer_Release(&view_); }
  HeldBytes(const HeldBytes&) = delete;
  HeldBytes& operator=(const HeldBytes&) = delete;

  const void* data() const { return view_.buf; }
  size_t size() const { return static_cast<size_t>(view_.len); }

 private:
  Py_buffer view_{};
};

// A text the C API takes as a C string: a NUL inside would cut it short.
std::string c_string(std::string text, const char* what) {
  if (text.find('\0') != std::string::npos) {
    throw py::value_error(std::string("orvo: ") + what + " holds a NUL character");
  }
  return text;
}

// Music switches and keyword options, checked before anything is converted.
class Options {
 public:
  Options(const py::object& switches, const py::dict& options) : options_(orvo_options_new()) {
    if (!options_) throw std::bad_alloc();
    if (!switches.is_none()) {
      if (!py::isinstance<py::str>(switches)) throw py::type_error("orvo: switches must be a str");
      const std::string text = c_string(py::cast<std::string>(switches), "the switches");
      if (orvo_options_parse(options_.get(), text.c_str()) != 0) {
        throw py::value_error("orvo: bad music switches: '" + text + "'");
      }
    }
    for (const auto& [key, value] : options) {
      const std::string name = c_string(py::cast<std::string>(py::str(key)), "an option's key");
      int overflow = 0;
      const long number = PyLong_Check(value.ptr()) ? PyLong_AsLongAndOverflow(value.ptr(), &overflow) : 0;
      if (!PyLong_Check(value.ptr()) || overflow != 0 ||
          orvo_options_set(options_.get(), name.c_str(), number) != 0) {
        throw py::value_error("orvo: bad option " + name + "=" + py::cast<std::string>(py::repr(value)) +
                              " (an unknown key, or a value that is not an integer in its range)");
      }
    }
  }

  const orvo_options* get() const { return options_.get(); }

 private:
  struct Free {
    void operator()(orvo_options* o) const { orvo_options_free(o); }
  };
  std::unique_ptr<orvo_options, Free> options_;
};

// The package's MDD resolver, called with the name the song gives (bytes):
// None when there is no such file, else (shown, data): the name the
// messages show for it (None: the name asked for) and its bytes (None: it
// was found but could not be read). The first exception it raises is kept
// to be raised again once the conversion has ended; the conversion sees a
// file that could not be read, and no later file is asked for.
struct Resolver {
  py::object find;
  std::optional<py::error_already_set> error;
  std::string shown;
  bool named = false;
};

// Keeps the Python exception being raised.
void keep_error(Resolver& r) { r.error.emplace(); }

int open_mdd(void* user, const char* name, const void** data, size_t* size, void** handle) {
  Resolver& r = *static_cast<Resolver*>(user);
  py::gil_scoped_acquire lock;
  r.named = false;
  if (r.error || r.find.is_none()) return r.error ? -1 : 0;
  try {
    const py::object answer = r.find(py::bytes(name));
    if (answer.is_none()) return 0;
    if (!py::isinstance<py::tuple>(answer) || py::len(answer) != 2) {
      throw py::type_error("orvo: the MDD resolver must answer None or (name, data)");
    }
    const py::tuple pair = py::reinterpret_borrow<py::tuple>(answer);
    if (!pair[0].is_none()) {
      r.shown = py::cast<std::string>(pair[0]);
      r.named = true;
    }
    if (pair[1].is_none()) return -1;
    auto* held = new HeldBytes(pair[1]);
    *data = held->data();
    *size = held->size();
    *handle = held;
    return 1;
  } catch (py::error_already_set& e) {
    r.error = std::move(e);
  } catch (py::builtin_exception& e) {
    e.set_error();
    keep_error(r);
  } catch (const std::bad_alloc&) {
    PyErr_NoMemory();
    keep_error(r);
  } catch (const std::exception& e) {
    PyErr_SetString(PyExc_RuntimeError, e.what());
    keep_error(r);
  }
  return -1;
}

void close_mdd(void*, void* handle) {
  py::gil_scoped_acquire lock;
  delete static_cast<HeldBytes*>(handle);
}

const char* opened_name(void* user) {
  const Resolver& r = *static_cast<const Resolver*>(user);
  return r.named ? r.shown.c_str() : nullptr;
}

struct FreeResult {
  void operator()(orvo_result* r) const { orvo_result_free(r); }
};

std::optional<std::string> optional_bytes(const py::object& o) {
  if (o.is_none()) return std::nullopt;
  return c_string(py::cast<std::string>(py::bytes(o)), "a file name");
}

// One conversion; see convert in the package. Returns (status, midi or
// None, messages, error).
py::tuple convert(const py::object& data, const Options& options, const py::object& name,
                  const py::object& signature, const py::object& signature_name,
                  bool signature_unreadable, const py::object& mdd) {
  const HeldBytes song(data);
  std::optional<HeldBytes> sig;
  if (!signature.is_none()) sig.emplace(signature);
  const std::optional<std::string> song_name = optional_bytes(name);
  const std::optional<std::string> sig_name = optional_bytes(signature_name);

  orvo_input input{};
  input.struct_size = sizeof input;
  input.data = song.data();
  input.size = song.size();
  input.name = song_name ? song_name->c_str() : nullptr;
  if (sig) {
    input.signature = sig->data();
    input.signature_size = sig->size();
  }
  input.signature_name = sig_name ? sig_name->c_str() : nullptr;
  input.signature_unreadable = signature_unreadable ? 1 : 0;

  Resolver resolver;
  resolver.find = mdd;
  orvo_companions companions{};
  companions.struct_size = sizeof companions;
  companions.user = &resolver;
  companions.open_mdd = open_mdd;
  companions.close = close_mdd;
  companions.opened_name = opened_name;

  orvo_result* raw = nullptr;
  int status = 0;
  lock_handoff::letting_go();
  {
    py::gil_scoped_release unlocked;
    status = orvo_convert(&input, options.get(), &companions, &raw);
    lock_handoff::wait_for_holder();
  }
  lock_handoff::taken();
  const std::unique_ptr<orvo_result, FreeResult> result(raw);
  if (resolver.error) throw *resolver.error;
  if (status == ORVO_ERROR_ARGUMENT) throw py::value_error(orvo_status_string(status));
  if (!result) return py::make_tuple(status, py::none(), py::str(""), py::str(orvo_status_string(status)));

  size_t size = 0;
  const unsigned char* midi = orvo_result_midi(result.get(), &size);
  py::object midi_bytes = py::none();
  if (midi != nullptr) midi_bytes = py::bytes(reinterpret_cast<const char*>(midi), size);
  const char* text = orvo_result_messages(result.get(), ORVO_TEXT_UTF8, &size);
  const py::object messages = py::reinterpret_steal<py::object>(
      PyUnicode_DecodeUTF8(text, static_cast<Py_ssize_t>(size), "replace"));
  const char* error = orvo_result_error(result.get());
  const py::object error_text = py::reinterpret_steal<py::object>(
      PyUnicode_DecodeUTF8(error, static_cast<Py_ssize_t>(std::char_traits<char>::length(error)), "replace"));
  if (!messages || !error_text) throw py::error_already_set();
  return py::make_tuple(status, midi_bytes, messages, error_text);
}

}  // namespace

PYBIND11_MODULE(_orvo, m) {
  m.doc() = "The C API of liborvo for the package orvo; use the package's functions.";
  m.def("version", [] { return std::string(orvo_version_string()); },
        "The version of the library the module was built with: \"1.50.0\".");
  py::class_<Options>(m, "Options", "Music switches and keyword options, checked.")
      .def(py::init<const py::object&, const py::dict&>(), py::arg("switches"), py::arg("options"),
           "Applies a string of music switches (or None), then the keyword options; "
           "ValueError for a bad switch, key or value.");
  m.def("convert", &convert, py::arg("data"), py::arg("options"), py::arg("name"),
        py::arg("signature"), py::arg("signature_name"), py::arg("signature_unreadable"),
        py::arg("mdd"),
        "Converts one song without the interpreter's lock. mdd: None, or called with the name "
        "the song gives (bytes) and answering None or (shown name or None, bytes-like or None). "
        "Returns (status, midi or None, messages, error); raises again what mdd raised.");
}
