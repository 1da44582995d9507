// The lighting formula for one vertex (R = double), two (R = Par) or four (an AVX2 type), each
// step the same IEEE operation in the same order whatever R is. Included inside an anonymous
// namespace by the files that evaluate it, after declaring
//   R potencia(R base, double expoente)   base^expoente in each lane
// for each R they use; R needs +, -, *, /, unary -, <, > (giving a mask M with &), raiz,
// selecionar and algum, as Par.h has them.

constexpr double kCanalMaximo = 255.0;
// Exponents up to this bound that are whole numbers are raised by repeated multiplication.
constexpr double kMaiorExpoenteInteiro = 1 << 30;

// A triple of one number type: a double, or a vector of several vertices' values.
template <typename R>
struct Terno {
    R x;
    R y;
    R z;
};

template <typename R>
R produtoInterno(const Terno<R>& a, const Terno<R>& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Unit vector along a: each component times the reciprocal of the length
// sqrt((x*x + y*y) + z*z), as Operadores::normalizacao; three NaN for the zero vector.
template <typename R>
Terno<R> unitario(const Terno<R>& a) {
    const R inverso = R(1.0) / raiz(produtoInterno(a, a));
    return {inverso * a.x, inverso * a.y, inverso * a.z};
}

bool expoenteInteiro(double expoente) {
    return expoente >= 0 && expoente <= kMaiorExpoenteInteiro && std::floor(expoente) == expoente;
}

// base^expoente for a whole exponent by binary exponentiation (the square-and-multiply steps
// from the lowest bit up), which is several times cheaper than pow and differs from it in the
// last bits only.
template <typename R>
R potenciaInteira(R base, double expoente) {
    auto restante = static_cast<std::uint32_t>(expoente);
    R resultado(1.0);
    while (restante != 0) {
        if ((restante & 1U) != 0) {
            resultado = resultado * base;
        }
        restante >>= 1U;
        if (restante != 0) {
            base = base * base;
        }
    }
    return resultado;
}

// The channel limited to [0, 255]; a NaN gives 0.
template <typename R>
R limitarCanal(R valor) {
    const R limitado = selecionar(valor > R(kCanalMaximo), R(kCanalMaximo), valor);
    return selecionar(valor > R(0.0), limitado, R(0.0));
}

// Kd.Od.Il per channel, (Kd Od) Il, for the object colour od of each vertex.
template <typename R>
Terno<R> fatorDifuso(const Iluminacao& luz, const Terno<R>& od) {
    return {R(luz.kd) * od.x * R(luz.il.x), R(luz.kd) * od.y * R(luz.il.y),
            R(luz.kd) * od.z * R(luz.il.z)};
}

// The geometry of the lighting at vertices p with unit normal n (counting where temNormal
// holds): the normal turned towards the focus, N.L, and the specular term (R.Vv)^eta, with the
// masks of where the diffuse and the specular terms count. `especular` is worked out only
// where some lane's diffuse term counts.
template <typename R, typename M>
struct Geometria {
    R nl;
    R termo;
    M difusa;
    M especular;
    bool algumaDifusa;
    bool algumaEspecular;
};

template <typename R, typename M>
[[gnu::always_inline]] inline Geometria<R, M> geometria(const Iluminacao& luz, const Terno<R>& p,
                                                        Terno<R> n, M temNormal, const Ponto& foco,
                                                        const Ponto& posicaoLuz) {
    Geometria<R, M> g{R(0.0), R(0.0), temNormal, temNormal, false, false};
    const Terno<R> paraFoco{R(foco.x) - p.x, R(foco.y) - p.y, R(foco.z) - p.z};
    // Two-sided: the normal faces the side the camera is on.
    const auto inverter = produtoInterno(n, paraFoco) < R(0.0);
    n = {selecionar(inverter, -n.x, n.x), selecionar(inverter, -n.y, n.y),
         selecionar(inverter, -n.z, n.z)};
    // With the light at the focus, L and Vv are the same vector: worked out once.
    const bool luzNoFocoAtual =
        posicaoLuz.x == foco.x && posicaoLuz.y == foco.y && posicaoLuz.z == foco.z;
    const Terno<R> l =
        unitario(Terno<R>{R(posicaoLuz.x) - p.x, R(posicaoLuz.y) - p.y, R(posicaoLuz.z) - p.z});
    g.nl = produtoInterno(n, l);
    g.difusa = temNormal & (g.nl > R(0.0));
    g.algumaDifusa = algum(g.difusa);
    if (!g.algumaDifusa) {
        return g;
    }
    const Terno<R> v = luzNoFocoAtual ? l : unitario(paraFoco);
    const R dobro = R(2.0) * g.nl;
    const Terno<R> r{dobro * n.x - l.x, dobro * n.y - l.y, dobro * n.z - l.z};
    const R rv = produtoInterno(r, v);
    g.especular = g.difusa & (rv > R(0.0));
    g.algumaEspecular = algum(g.especular);
    if (g.algumaEspecular) {
        g.termo = potencia(rv, luz.eta);
    }
    return g;
}

// The two parts of the formula at vertices p with unit normal n (counting where temNormal
// holds), unclamped: E = Ka.Ia + Ks.Il.(R.Vv)^eta and D = Kd.Il.(N.L), each term only where
// it counts, so that the colour is E + Od.D for any object colour Od.
template <typename R, typename M>
[[gnu::always_inline]] inline void partes(const Iluminacao& luz, const Terno<R>& p,
                                          const Terno<R>& n, M temNormal, const Ponto& foco,
                                          const Ponto& posicaoLuz, Terno<R>& e, Terno<R>& d) {
    const Geometria<R, M> g = geometria(luz, p, n, temNormal, foco, posicaoLuz);
    e = {R(luz.ka * luz.ia.x), R(luz.ka * luz.ia.y), R(luz.ka * luz.ia.z)};
    d = {R(0.0), R(0.0), R(0.0)};
    if (!g.algumaDifusa) {
        return;
    }
    d = {selecionar(g.difusa, R(luz.kd * luz.il.x) * g.nl, d.x),
         selecionar(g.difusa, R(luz.kd * luz.il.y) * g.nl, d.y),
         selecionar(g.difusa, R(luz.kd * luz.il.z) * g.nl, d.z)};
    if (g.algumaEspecular) {
        e = {selecionar(g.especular, e.x + R(luz.ks * luz.il.x) * g.termo, e.x),
             selecionar(g.especular, e.y + R(luz.ks * luz.il.y) * g.termo, e.y),
             selecionar(g.especular, e.z + R(luz.ks * luz.il.z) * g.termo, e.z)};
    }
}

// The Phong colour of vertices at p with unit normal n (counting where temNormal holds), seen
// from `foco` and lit from `posicaoLuz`, for one vertex (R = double) or two (R = Par), with
// Kd.Od.Il per channel `difuso`. Each step is the same IEEE operation in the same order in
// either case.
template <typename R, typename M>
[[gnu::always_inline]] inline Terno<R> colorir(const Iluminacao& luz, const Terno<R>& difuso,
                                               const Terno<R>& p, const Terno<R>& n, M temNormal,
                                               const Ponto& foco, const Ponto& posicaoLuz) {
    Terno<R> cor{R(luz.ka * luz.ia.x), R(luz.ka * luz.ia.y), R(luz.ka * luz.ia.z)};
    const Geometria<R, M> g = geometria(luz, p, n, temNormal, foco, posicaoLuz);
    if (!g.algumaDifusa) {
        return {limitarCanal(cor.x), limitarCanal(cor.y), limitarCanal(cor.z)};
    }
    cor = {selecionar(g.difusa, cor.x + difuso.x * g.nl, cor.x),
           selecionar(g.difusa, cor.y + difuso.y * g.nl, cor.y),
           selecionar(g.difusa, cor.z + difuso.z * g.nl, cor.z)};
    if (g.algumaEspecular) {
        cor = {selecionar(g.especular, cor.x + R(luz.ks * luz.il.x) * g.termo, cor.x),
               selecionar(g.especular, cor.y + R(luz.ks * luz.il.y) * g.termo, cor.y),
               selecionar(g.especular, cor.z + R(luz.ks * luz.il.z) * g.termo, cor.z)};
    }
    return {limitarCanal(cor.x), limitarCanal(cor.y), limitarCanal(cor.z)};
}

// The same with the settings' own object colour Od for every vertex.
template <typename R, typename M>
[[gnu::always_inline]] inline Terno<R> colorir(const Iluminacao& luz, const Terno<R>& p,
                                               const Terno<R>& n, M temNormal, const Ponto& foco,
                                               const Ponto& posicaoLuz) {
    const Terno<R> difuso{R(luz.kd * luz.od.x * luz.il.x), R(luz.kd * luz.od.y * luz.il.y),
                          R(luz.kd * luz.od.z * luz.il.z)};
    return colorir(luz, difuso, p, n, temNormal, foco, posicaoLuz);
}
