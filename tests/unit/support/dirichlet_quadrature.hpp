#ifndef PARMIX_TESTS_SUPPORT_DIRICHLET_QUADRATURE_HPP
#define PARMIX_TESTS_SUPPORT_DIRICHLET_QUADRATURE_HPP

// Expectations under a Dirichlet distribution by direct numerical
// integration of its density, for checking closed forms.  Nothing here
// uses a moment formula: the density r_1^(a_1 - 1) ... r_k^(a_k - 1) is
// integrated over the simplex by stick-breaking coordinates
//   r_1 = x_1, r_2 = (1 - x_1) x_2, ..., r_k = (1 - x_1) ... (1 - x_{k-1}),
// each x = sin^2(phi) on [0, pi/2] (which takes the end singularities of
// exponents down to 1/2 out of the integrand), with Gauss-Legendre nodes
// computed here by Newton's method on the Legendre polynomial.  The
// normalising constant is the same sum with the integrand 1.

#include <cmath>
#include <functional>
#include <vector>

namespace parmix::test {

// Nodes and weights of the N-point Gauss-Legendre rule on [a, b].
inline void gaussLegendre(int n, double a, double b, std::vector<double>& x,
                          std::vector<double>& w) {
  x.assign(n, 0.0);
  w.assign(n, 0.0);
  const double pi = std::acos(-1.0);
  for (int i = 0; i < (n + 1) / 2; ++i) {
    double z = std::cos(pi * (i + 0.75) / (n + 0.5));
    double dp = 0.0;
    for (int iteration = 0; iteration < 100; ++iteration) {
      double p0 = 1.0, p1 = 0.0;
      for (int j = 1; j <= n; ++j) {
        const double p2 = p1;
        p1 = p0;
        p0 = ((2.0 * j - 1.0) * z * p1 - (j - 1.0) * p2) / j;
      }
      dp = n * (z * p0 - p1) / (z * z - 1.0);
      const double step = p0 / dp;
      z -= step;
      if (std::fabs(step) < 1e-16) break;
    }
    const double half = (b - a) / 2, mid = (b + a) / 2;
    x[i] = mid - half * z;
    x[n - 1 - i] = mid + half * z;
    w[i] = w[n - 1 - i] = 2.0 * half / ((1.0 - z * z) * dp * dp);
  }
}

// The points of a Dirichlet(alpha) (every alpha_i >= 1/2) with their
// probability weights, adding up to 1.
struct DirichletPoints {
  std::vector<std::vector<double>> points;
  std::vector<double> weights;
};

inline DirichletPoints dirichletPoints(const std::vector<double>& alpha, int nodes) {
  std::vector<double> phi, wphi;
  gaussLegendre(nodes, 0.0, std::acos(-1.0) / 2, phi, wphi);
  const int k = static_cast<int>(alpha.size());
  DirichletPoints result;
  std::vector<int> index(k - 1, 0);
  double total = 0.0;
  for (;;) {
    std::vector<double> r(k);
    double rest = 1.0, weight = 1.0;
    for (int d = 0; d < k - 1; ++d) {
      const double s = std::sin(phi[index[d]]), c = std::cos(phi[index[d]]);
      const double x = s * s;
      // dx = 2 sin cos dphi; the stick left, rest, is the Jacobian factor.
      weight *= wphi[index[d]] * 2.0 * s * c * rest;
      r[d] = rest * x;
      rest *= c * c;
    }
    r[k - 1] = rest;
    for (int i = 0; i < k; ++i) weight *= std::pow(r[i], alpha[i] - 1.0);
    result.points.push_back(r);
    result.weights.push_back(weight);
    total += weight;
    int d = 0;
    while (d < k - 1 && ++index[d] == nodes) index[d++] = 0;
    if (d == k - 1) break;
  }
  for (double& w : result.weights) w /= total;
  return result;
}

// E[f(r)] under the points.
inline double expectation(const DirichletPoints& d,
                          const std::function<double(const std::vector<double>&)>& f) {
  double sum = 0.0;
  for (std::size_t n = 0; n < d.points.size(); ++n) sum += d.weights[n] * f(d.points[n]);
  return sum;
}

// E[f(r, s)] for independent r and s.
inline double expectation(const DirichletPoints& r, const DirichletPoints& s,
                          const std::function<double(const std::vector<double>&,
                                                     const std::vector<double>&)>& f) {
  double sum = 0.0;
  for (std::size_t m = 0; m < r.points.size(); ++m) {
    double inner = 0.0;
    for (std::size_t n = 0; n < s.points.size(); ++n)
      inner += s.weights[n] * f(r.points[m], s.points[n]);
    sum += r.weights[m] * inner;
  }
  return sum;
}

}  // namespace parmix::test

#endif
