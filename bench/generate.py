#!/usr/bin/env python3
"""Writes the inputs of the benchmark: Séneca exports of a school or a region, and SOLUC.

  generate.py document --scale K --seed S --out DIR
      DIR/seneca.xml   a Séneca export of K schools, dressed as the real files are
                       (ISO-8859-1, two-space indentation, every block in order with its
                       "registros", keys of the real widths, accented names)
      DIR/niveles.csv  a level and a course number for every course (CLAVE;NIVEL;CURSO)

  generate.py soluc --dir EXCHANGE --rows N --seed S
      EXCHANGE/SOLUC.DBF  N timetable entries made of the codes an exportar run wrote
                          into the exchange tables (PROFT, ASIGT, AULAT, DIASHORAST,
                          ASIGNOMT), as the timetable program leaves its solution

One school has 80 teachers, 25 courses, 50 units, 200 MATERIAS records, 60 rooms and
8 time slots; K schools have K times as much, but the same 90 activities and 8 time slots,
which are Séneca's and the region's, not the school's. The same seed gives the same files.
Standard library only.
"""
import argparse
import os
import random
import struct
import sys

# ---------------------------------------------------------------------------------------
# What one school has.

TEACHERS = 80
ROOMS = 60
SUBJECTS_PER_COURSE = 8
ACTIVITIES = 90

# The studies a school offers: Séneca's description, the level a head of studies gives
# them, how many years, and how many units each year has. 25 courses, 50 units.
STUDIES = [
    ("{n}º de E.S.O.", "ESO", 4, 4),
    ("{n}º de Bachillerato (Ciencias y Tecnología)", "BCT", 2, 3),
    ("{n}º de Bachillerato (Humanidades y Ciencias Sociales)", "BHCS", 2, 3),
    ("{n}º F.P.I.G.M. (Sistemas Microinformáticos y Redes)", "SMR", 2, 2),
    ("{n}º F.P.I.G.S. (Desarrollo de Aplicaciones Web)", "DAW", 2, 1),
    ("{n}º F.P.I.G.M. (Gestión Administrativa)", "GAD", 2, 2),
    ("{n}º F.P.B. (Servicios Administrativos)", "FPB", 2, 1),
    ("{n}º de E.S.O. (Programa de Diversificación Curricular)", "PDC", 2, 1),
    ("{n}º F.P.I.G.S. (Administración y Finanzas)", "AYF", 2, 1),
    ("Curso de Especialización (Ciberseguridad en Entornos TI)", "CIB", 1, 0),
    ("Educación Secundaria para Personas Adultas (Nivel {n})", "ESPA", 2, 1),
    ("{n}º de Bachillerato para Personas Adultas", "BPA", 2, 2),
]
COURSES = sum(years for _, _, years, _ in STUDIES)
UNITS = sum(years * units for _, _, years, units in STUDIES)

SUBJECTS = [
    "Matemáticas", "Lengua Castellana y Literatura", "Inglés", "Geografía e Historia",
    "Biología y Geología", "Física y Química", "Educación Física", "Música",
    "Educación Plástica, Visual y Audiovisual", "Tecnología y Digitalización",
    "Religión Católica", "Atención Educativa", "Francés", "Filosofía",
    "Historia de España", "Historia de la Filosofía", "Dibujo Técnico I", "Dibujo Técnico II",
    "Matemáticas Aplicadas a las Ciencias Sociales I",
    "Matemáticas Aplicadas a las Ciencias Sociales II", "Latín I", "Latín II", "Griego I",
    "Economía", "Economía de la Empresa", "Química", "Física", "Biología", "Geología y Ciencias Ambientales",
    "Tutoría", "Montaje y Mantenimiento de Equipos", "Sistemas Operativos Monopuesto",
    "Aplicaciones Ofimáticas", "Redes Locales", "Programación", "Bases de Datos",
    "Lenguajes de Marcas y Sistemas de Gestión de Información", "Entornos de Desarrollo",
    "Comunicación Empresarial y Atención al Cliente", "Operaciones Administrativas de Compraventa",
    "Técnica Contable", "Formación y Orientación Laboral", "Empresa e Iniciativa Emprendedora",
    "Ámbito Científico-Tecnológico", "Ámbito Lingüístico y Social", "Proyecto Intermodular",
]
# Optional subjects the schools make up; they share a few stems, as the real ones do.
OPTIONAL_STEMS = ["Libre Configuración Autonómica: ", "Refuerzo de ", "Taller de ",
                  "Proyecto de ", "Ampliación de "]
OPTIONAL_TOPICS = [
    "Programación y Computación", "Comunicación Oral en Lengua Extranjera", "Cultura Clásica",
    "Oratoria y Debate", "Robótica", "Teatro", "Matemáticas", "Lengua", "Inglés",
    "Educación Ambiental", "Patrimonio Cultural de Andalucía", "Creatividad", "Periodismo",
    "Ajedrez", "Astronomía", "Fotografía", "Música Moderna", "Igualdad", "Emprendimiento",
    "Cine y Literatura",
]

GIVEN_NAMES = [
    "Ana", "María José", "José Luis", "Álvaro", "Lucía", "Inés", "Raúl", "Rocío", "Encarnación",
    "Miguel Ángel", "Francisco Javier", "Nuria", "Sergio", "Sara", "Remedios", "Pablo",
    "Patricia", "Marta", "Manuel", "Julia", "Javier", "Isabel", "Fernando", "Ángeles",
    "Jesús", "Begoña", "Íñigo", "Maximiliano Óscar", "Concepción", "Ramón",
]
SURNAMES = [
    "García", "López", "Martínez", "Sánchez", "Pérez", "Gómez", "Martín", "Jiménez", "Ruiz",
    "Hernández", "Díaz", "Moreno", "Muñoz", "Álvarez", "Romero", "Alonso", "Gutiérrez",
    "Navarro", "Torres", "Domínguez", "Vázquez", "Ramos", "Gil", "Ramírez", "Serrano", "Blanco",
    "Molina", "Morales", "Suárez", "Ortega", "Delgado", "Castro", "Ortiz", "Rubio", "Marín",
    "Sanz", "Núñez", "Iglesias", "Medina", "Garrido", "Cortés", "Castillo", "Santos", "Lozano",
    "Guerrero", "Cano", "Prieto", "Méndez", "Cruz", "Calvo", "Gallego", "Vidal", "León",
    "Márquez", "Herrera", "Peña", "Flores", "Cabrera", "Campos", "Vega", "Fuentes", "Carrasco",
    "Díez", "Caballero", "Reyes", "Nieto", "Aguilar", "Pascual", "Santana", "Herrero", "Montero",
    "Lorenzo", "Hidalgo", "Giménez", "Ibáñez", "Ferrer", "Durán", "Santiago", "Benítez", "Mora",
    "Vicente", "Vargas", "Arias", "Carmona", "Crespo", "Román", "Pastor", "Soto", "Sáez",
    "Velasco", "Moya", "Soler", "Parra", "Esteban", "Bravo", "Gallardo", "Rojas", "Pardo",
]
DEPARTMENTS = [
    "Matemáticas", "Lengua Castellana y Literatura", "Inglés", "Geografía e Historia",
    "Física y Química", "Biología y Geología", "Educación Física", "Tecnología", "Música",
    "Dibujo", "Francés", "Filosofía", "Latín", "Economía", "Orientación Educativa",
    "Informática", "Administración de Empresas", "Procesos de Gestión Administrativa",
]
POSTS = ["Profesores de Enseñanza Secundaria", "Profesores Técnicos de Formación Profesional",
         "Profesores de Religión"]

ACTIVITY_NAMES = [
    "Guardia", "Guardia de recreo", "Guardia de biblioteca", "Reunión de departamento",
    "Reunión de equipo educativo", "Reunión de área de competencias",
    "Reunión del equipo técnico de coordinación pedagógica", "Tutoría con alumnado",
    "Tutoría con familias", "Tutoría administrativa", "Atención a padres y madres",
    "Organización y funcionamiento de la biblioteca", "Actividades complementarias",
    "Actividades extraescolares", "Jefatura de departamento", "Dirección", "Jefatura de estudios",
    "Secretaría", "Vicedirección", "Coordinación TDE", "Coordinación de bilingüismo",
    "Coordinación del plan de igualdad", "Coordinación de convivencia",
    "Programa de refuerzo de materias troncales", "Mantenimiento de equipos informáticos",
    "Formación en centros", "Evaluación", "Seguimiento de la FCT", "Prevención de riesgos laborales",
    "Escuela espacio de paz",
]

SLOTS = [("1ª", 495, 555), ("2ª", 555, 615), ("3ª", 615, 675), ("Recreo", 675, 705),
         ("4ª", 705, 765), ("5ª", 765, 825), ("6ª", 825, 885), ("7ª", 885, 945)]


def distinct_keys(rng, count, low, high):
    """`count` different numbers from [low, high], in random order."""
    return rng.sample(range(low, high + 1), count)


class Writer:
    """The document as Séneca writes it: two spaces a level, one element a line."""

    def __init__(self):
        self.lines = ['<?xml version="1.0" encoding="ISO-8859-1"?>', "", ""]

    def open(self, depth, seq, registros=None):
        count = "" if registros is None else f' registros="{registros}"'
        self.lines.append(f'{"  " * depth}<grupo_datos seq="{seq}"{count}>')

    def close(self, depth):
        self.lines.append(f'{"  " * depth}</grupo_datos>')

    def dato(self, depth, name, text):
        text = str(text).replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
        if text:
            self.lines.append(f'{"  " * depth}<dato nombre_dato="{name}">{text}</dato>')
        else:
            self.lines.append(f'{"  " * depth}<dato nombre_dato="{name}"></dato>')

    def block(self, seq, prefix, records):
        self.open(2, seq, len(records))
        for i, values in enumerate(records, 1):
            self.open(3, f"{prefix}_{i}")
            for name, text in values:
                self.dato(4, name, text)
            self.close(3)
        self.close(2)

    def bytes(self):
        return ("\n".join(self.lines) + "\n").encode("iso-8859-1")


def school_level(study, school, schools):
    # One school keeps the levels a head of studies gives; in a region every school's
    # courses get their own, a letter for the study and the school's number (NIVEL holds 5).
    level = STUDIES[study][1]
    return level if schools == 1 else "ABCDEFGHIJKL"[study] + str(school + 1)


def document(scale, seed):
    rng = random.Random(seed)
    courses, materias, units, rooms, staff, levels = [], [], [], [], [], []

    course_keys = iter(distinct_keys(rng, COURSES * scale, 200000, 999999))
    subject_keys = iter(distinct_keys(rng, SUBJECTS_PER_COURSE * COURSES * scale, 100000, 2999999))
    unit_keys = iter(distinct_keys(rng, UNITS * scale, 10000000, 99999999))
    room_keys = iter(distinct_keys(rng, ROOMS * scale, 1000, 9999))
    employee_keys = iter(distinct_keys(rng, TEACHERS * scale, 100000, 9999999))
    optional = [stem + topic for stem in OPTIONAL_STEMS for topic in OPTIONAL_TOPICS]

    for school in range(scale):
        school_courses = []
        school_units = []
        for study, (description, level, years, units_a_year) in enumerate(STUDIES):
            for year in range(1, years + 1):
                key = next(course_keys)
                courses.append([("X_OFERTAMATRIG", key),
                                ("D_OFERTAMATRIG", description.format(n=year))])
                levels.append((key, school_level(study, school, scale), str(year)))
                school_courses.append(key)
                for letter in "ABCD"[:units_a_year]:
                    school_units.append((next(unit_keys), f"{year}º{level}-{letter}", key))

        for key in school_courses:
            picked = rng.sample(SUBJECTS, SUBJECTS_PER_COURSE - 2) + rng.sample(optional, 2)
            for subject in picked:
                hours = rng.choice(["1", "2", "2", "3", "3", "4", "4", "5", ""])
                materias.append([("X_OFERTAMATRIG", key), ("X_MATERIAOMG", next(subject_keys)),
                                 ("D_MATERIAOMG", subject), ("N_HORAS", hours)])

        # A unit shared by two courses is listed twice, the same unit key with each course,
        # as Séneca lists it: here the first unit of the adult courses takes both years.
        for unit_key, unit_name, course_key in school_units:
            units.append([("X_UNIDAD", unit_key), ("T_NOMBRE", unit_name),
                          ("X_OFERTAMATRIG", course_key)])
        shared = next(u for u in school_units if "ESPA" in u[1])
        units.append([("X_UNIDAD", shared[0]), ("T_NOMBRE", shared[1]),
                      ("X_OFERTAMATRIG", school_courses[school_courses.index(shared[2]) + 1])])

        for r in range(ROOMS):
            kind = rng.choice(["Aula", "Aula", "Aula", "Laboratorio", "Taller", "Aula de Música",
                               "Gimnasio", "Biblioteca", "Aula de Informática"])
            rooms.append([("X_DEPENDENCIA", next(room_keys)),
                          ("D_DEPENDENCIA", f"{kind} {r // 10}.{r % 10:02d}")])

        for _ in range(TEACHERS):
            second = rng.choice(SURNAMES) if rng.random() > 0.05 else ""
            department = rng.choice(DEPARTMENTS)
            staff.append([("X_EMPLEADO", next(employee_keys)),
                          ("F_TOMAPOS", f"01/09/{rng.randint(1995, 2023)}"),
                          ("D_PUESTO", f"{department}-{rng.choice(POSTS)}"),
                          ("T_APELLIDO1", rng.choice(SURNAMES)), ("T_APELLIDO2", second),
                          ("T_NOMBRE", rng.choice(GIVEN_NAMES))])

    activity_keys = [1, 26] + distinct_keys(rng, ACTIVITIES - 2, 27, 9999)
    activities = []
    for i, key in enumerate(activity_keys):
        name = ACTIVITY_NAMES[i % len(ACTIVITY_NAMES)]
        if i >= len(ACTIVITY_NAMES):
            name = f"{name} ({i // len(ACTIVITY_NAMES) + 1})"
        if i % 17 == 5:
            name = " " + name  # some real names begin with a blank
        activities.append([("L_REQUNIDAD", "S" if i % 3 == 0 else "N"), ("X_ACTIVIDAD", key),
                           ("D_ACTIVIDAD", name)])

    slot_keys = distinct_keys(rng, len(SLOTS), 300000, 999999)
    slots = [[("X_TRAMO", key), ("T_HORCEN", label), ("N_INICIO", start), ("N_FIN", end)]
             for key, (label, start, end) in zip(slot_keys, SLOTS)]

    out = Writer()
    out.lines.append('<SERVICIO modulo="HORARIOS" tipo="E" autor="SENECA" '
                     'fecha="16/01/2024 20:59:15">')
    out.lines.append("  <BLOQUE_DATOS>")
    out.open(2, "ANNO_ACADEMICO")
    out.dato(3, "C_ANNO", "2023")
    out.dato(3, "F_INIHORREG", "01/09/2023")
    out.dato(3, "F_FINHORREG", "31/08/2024")
    out.close(2)
    out.block("CURSOS_DEL_CENTRO", "CURSO", courses)
    out.block("MATERIAS", "MATERIA", materias)
    out.block("ACTIVIDADES", "ACTIVIDAD", activities)
    out.block("DEPENDENCIAS", "DEPENDENCIA", rooms)
    out.block("JORNADAS_ESCOLARES", "JORNADA",
              [[("X_JORNADA", "4183"), ("D_JORNADA", "Jornada escolar de mañana"),
                ("F_INICIO", "15/09/2023"), ("F_FIN", "21/06/2024")]])
    out.block("TRAMOS_HORARIOS", "TRAMO", slots)
    out.block("UNIDADES", "UNIDAD", units)
    out.block("EMPLEADOS", "PROFESOR", staff)
    out.lines.append("  </BLOQUE_DATOS>")
    out.lines.append("</SERVICIO>")

    csv = "CLAVE;NIVEL;CURSO\n" + "".join(f"{k};{n};{c}\n" for k, n, c in levels)
    return out.bytes(), csv.encode("utf-8")


# ---------------------------------------------------------------------------------------
# dBase III, as much as SOLUC needs: read the exchange tables, write the solution.

def read_dbf(path):
    """Every live row of a dBase III table as a dict of stripped texts."""
    with open(path, "rb") as f:
        data = f.read()
    count, header_length, record_length = struct.unpack_from("<IHH", data, 4)
    fields, offset = [], 1
    for at in range(32, header_length - 1, 32):
        if data[at] == 0x0D:
            break
        name = data[at:at + 11].split(b"\0")[0].decode("ascii")
        width = data[at + 16]
        fields.append((name, offset, width))
        offset += width
    rows = []
    for r in range(count):
        record = data[header_length + r * record_length:header_length + (r + 1) * record_length]
        if record[:1] == b"*":
            continue
        rows.append({name: record[o:o + w].decode("cp1252").strip() for name, o, w in fields})
    return rows


def write_dbf(path, fields, rows):
    """A dBase III table: fields are (name, 'C' or 'N', width); rows are tuples of texts."""
    record_length = 1 + sum(width for _, _, width in fields)
    header_length = 32 + 32 * len(fields) + 1
    header = struct.pack("<BBBBIHH", 0x03, 124, 1, 16, len(rows), header_length, record_length)
    header += b"\0" * 17 + b"\x57" + b"\0" * 2  # language driver 0x57: Windows-1252
    for name, kind, width in fields:
        header += name.encode("ascii").ljust(11, b"\0") + kind.encode("ascii") + b"\0" * 4
        header += bytes([width, 0]) + b"\0" * 14
    header += b"\x0D"
    body = bytearray()
    for row in rows:
        body += b" "
        for (name, kind, width), value in zip(fields, row):
            text = value.encode("cp1252")[:width]
            body += text.rjust(width) if kind == "N" else text.ljust(width)
    with open(path, "wb") as f:
        f.write(header + bytes(body) + b"\x1A")


def find_table(directory, name):
    for entry in os.listdir(directory):
        if entry.upper() == name.upper():
            return os.path.join(directory, entry)
    sys.exit(f"generate.py: no {name} in {directory}; run exportar into it first")


def soluc(directory, rows, seed):
    rng = random.Random(seed)
    teachers = [r["ABREV"] for r in read_dbf(find_table(directory, "PROFT.DBF"))]
    assignments = [(r["CASIG"], r["CGRUP"])
                   for r in read_dbf(find_table(directory, "ASIGT.DBF"))]
    rooms = [r["ABREV"] for r in read_dbf(find_table(directory, "AULAT.DBF"))]
    tasks = [(r["COD"], r["CODTAREA"]) for r in read_dbf(find_table(directory, "ASIGNOMT.DBF"))
             if r["ESTAREA"] == "T"]
    day_one = [r for r in read_dbf(find_table(directory, "DIASHORAST.DBF")) if r["DIA"] == "1"]
    periods = [p for p, r in enumerate(day_one, 1) if r["HORA"] != "Recreo"]

    entries = []
    for n in range(rows):
        teacher = teachers[n % len(teachers)]
        day, period = rng.randint(1, 5), rng.choice(periods)
        if n % 10 == 9 and tasks:  # a duty, not a class: no group, its activity code
            subject, task = rng.choice(tasks)
            entries.append((teacher, str(day), str(period), subject, "", task, ""))
            continue
        subject, group = rng.choice(assignments)
        if n % 50 == 49:
            day = 0  # an entry the timetable program could not place
        entries.append((teacher, str(day), str(period), subject, group, "",
                        rng.choice(rooms) if day else ""))
    write_dbf(os.path.join(directory, "SOLUC.DBF"),
              [("PROF", "C", 10), ("DIA", "N", 2), ("HORA", "N", 2), ("ASIG", "C", 10),
               ("CODGRUPO", "C", 10), ("TAREA", "C", 10), ("AULA", "C", 10)], entries)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    commands = parser.add_subparsers(dest="command", required=True)
    doc = commands.add_parser("document", help="seneca.xml and niveles.csv")
    doc.add_argument("--scale", type=int, default=1, help="how many schools")
    doc.add_argument("--seed", type=int, default=2024)
    doc.add_argument("--out", required=True)
    sol = commands.add_parser("soluc", help="SOLUC.DBF from the exchange tables")
    sol.add_argument("--dir", required=True)
    sol.add_argument("--rows", type=int, required=True)
    sol.add_argument("--seed", type=int, default=2024)
    args = parser.parse_args()

    if args.command == "document":
        xml, csv = document(args.scale, args.seed)
        os.makedirs(args.out, exist_ok=True)
        with open(os.path.join(args.out, "seneca.xml"), "wb") as f:
            f.write(xml)
        with open(os.path.join(args.out, "niveles.csv"), "wb") as f:
            f.write(csv)
    else:
        soluc(args.dir, args.rows, args.seed)


if __name__ == "__main__":
    main()
