// A test-only MEX file that drives the host binding through each of its paths:
//   host_probe(1, rec)    count 'Count' and 1-based 'Idx' (range 1..Count) → 0-based column
//   host_probe(2)         a struct with fields b, a (in that order): b = 2, a = [1 2 3]
//   host_probe(3)         throws std::bad_alloc
//   host_probe(4)         throws std::runtime_error("probe failure")
//   host_probe(5)         asks for a 1e6 x 1e6 complex result
//   host_probe(6)         issues the warning probe... and returns 1
//   host_probe(7, x)      integer(x)
//   host_probe(8, rec)    field_matrix(rec, 'M') needing at least 3 x 2, returns its size
//   host_probe(9)         sends itself SIGINT, then polls for up to 60 s; returns 0 if never
//                         interrupted
//   host_probe(10)        number of live working objects of action 9 (0 after an interrupt)
// A second argument is read through host::argument: missing, it is a "missingArgument" error.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <new>
#include <stdexcept>
#include <thread>

#include "host_arrays.hpp"
#include "interrupt.hpp"

namespace {

int g_live = 0;
struct Working {
  Working() { ++g_live; }
  ~Working() { --g_live; }
};

void probe(mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs < 1) host::usage("host_probe needs an action");
  switch (host::integer(prhs[0], "argument 'action'")) {
    case 1: {
      const std::size_t n = host::field_count(host::argument(nrhs, prhs, 1), "rec", "Count");
      const host::Matrix idx = host::field_matrix(host::argument(nrhs, prhs, 1), "rec", "Idx");
      const auto v =
          mom::convert_indices<int>(idx.re, idx.size(), 1, 0, static_cast<std::int64_t>(n) - 1,
                                    host::field_label("rec", "Idx"));
      host::RealResult out = host::make_real(v.size(), 1);
      for (std::size_t i = 0; i < v.size(); ++i) out.re[i] = v[i];
      host::set_result(plhs, 0, std::move(out.array));
      break;
    }
    case 2: {
      host::StructResult s({"b", "a"});
      host::RealResult a = host::make_real(1, 3);
      for (int i = 0; i < 3; ++i) a.re[i] = i + 1;
      s.set("a", std::move(a.array));
      s.set("b", host::make_scalar(2));
      host::set_result(plhs, 0, s.release());
      break;
    }
    case 3:
      throw std::bad_alloc();
    case 4:
      throw std::runtime_error("probe failure");
    case 5: {
      host::ComplexResult big = host::make_complex(1000000, 1000000);
      host::set_result(plhs, 0, std::move(big.array));
      break;
    }
    case 6:
      host::warning("probeWarning", "a warning from the probe");
      host::set_result(plhs, 0, host::make_scalar(1));
      break;
    case 7:
      host::set_result(plhs, 0,
                       host::make_scalar(static_cast<double>(
                           host::integer(host::argument(nrhs, prhs, 1), "argument 'x'"))));
      break;
    case 8: {
      const host::Matrix m = host::field_matrix(host::argument(nrhs, prhs, 1), "rec", "M");
      host::require_shape(m, 3, 2, host::field_label("rec", "M"));
      host::RealResult out = host::make_real(1, 2);
      out.re[0] = static_cast<double>(m.rows);
      out.re[1] = static_cast<double>(m.cols);
      host::set_result(plhs, 0, std::move(out.array));
      break;
    }
    case 9: {
      Working w;
      kill(getpid(), SIGINT);  // process-directed, as a Ctrl-C at the terminal is
      for (int i = 0; i < 600; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        mom::poll_interrupt();
      }
      host::set_result(plhs, 0, host::make_scalar(0));
      break;
    }
    case 10:
      host::set_result(plhs, 0, host::make_scalar(g_live));
      break;
    default:
      mom::fail("badAction", "unknown action");
  }
}

}  // namespace

MOM_MEX_ENTRY void mexFunction(int, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  host::run("host_probe", [&] { probe(plhs, nrhs, prhs); });
}
